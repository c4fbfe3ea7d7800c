#include "SimComponentFile.h"

#include "config/NumberParsing.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <functional>

const QString CSimComponentFile::kFirstLine = QStringLiteral("# corvane simulated target component");

namespace {

// True when `text` is one whole number in a notation ParseUnsigned reads.
bool IsNumberText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\+?(0[xX][0-9a-fA-F]+|0[0-7]*|[1-9][0-9]*|[1-9a-fA-F][0-9a-fA-F]*H|[1-7][0-7]*Q|1[01]*B)$"));
    return pattern.match(text).hasMatch();
}

// Reads an unsigned number of at most `maximum`; an empty optional when the text is no such number.
std::optional<quint32> NumberUpTo(const QString &text, quint32 maximum)
{
    if (!IsNumberText(text))
        return std::nullopt;
    const quint32 value = ParseUnsigned(text);
    if (value > maximum)
        return std::nullopt;
    return value;
}

class CComponentParser {
public:
    explicit CComponentParser(SimComponentSettings &settings)
        : m_settings(settings)
    {
    }

    // Empty when the line was taken, else what is wrong with it.
    QString Take(const QString &key, const QString &value);

private:
    QString Number(const QString &value, quint32 maximum, const std::function<void(quint32)> &store);
    QString Version(const QString &value);
    QString StuckBits(const QString &value);
    QString Symbol(const QString &value);

    SimComponentSettings &m_settings;
    QSet<QString> m_seen;
};

QString CComponentParser::Number(const QString &value, quint32 maximum, const std::function<void(quint32)> &store)
{
    const std::optional<quint32> number = NumberUpTo(value, maximum);
    if (!number)
        return QStringLiteral("\"%1\" is not a number from 0 to %2.").arg(value).arg(maximum);
    store(*number);
    return {};
}

QString CComponentParser::Version(const QString &value)
{
    const QStringList parts = value.split(u'.');
    const std::optional<quint32> major = parts.size() == 2 ? NumberUpTo(parts[0], 0xFFFF) : std::nullopt;
    const std::optional<quint32> minor = parts.size() == 2 ? NumberUpTo(parts[1], 0xFFFF) : std::nullopt;
    if (!major || !minor)
        return QStringLiteral("version must be MAJOR.MINOR, not \"%1\".").arg(value);
    m_settings.versionMajor = quint16(*major);
    m_settings.versionMinor = quint16(*minor);
    return {};
}

QString CComponentParser::StuckBits(const QString &value)
{
    const QStringList parts = value.split(u':');
    const std::optional<quint32> offset = parts.size() == 2 ? NumberUpTo(parts[0].trimmed(), 0xFFFFFFFF) : std::nullopt;
    const std::optional<quint32> mask = parts.size() == 2 ? NumberUpTo(parts[1].trimmed(), 0xFF) : std::nullopt;
    if (!offset || !mask)
        return QStringLiteral("fault.stuck_bits must be OFFSET:MASK with a mask up to 0xFF, not \"%1\".").arg(value);
    m_settings.stuckBits = SimComponentSettings::StuckBits {*offset, quint8(*mask)};
    return {};
}

QString CComponentParser::Symbol(const QString &value)
{
    if (value != QLatin1String("theMessage") && value != QLatin1String("doMessageProc"))
        return QStringLiteral("fault.missing_symbol must be theMessage or doMessageProc, not \"%1\".").arg(value);
    m_settings.missingSymbol = value;
    return {};
}

QString CComponentParser::Take(const QString &key, const QString &value)
{
    if (m_seen.contains(key))
        return QStringLiteral("\"%1\" is given twice.").arg(key);
    m_seen.insert(key);
    SimComponentSettings &s = m_settings;
    if (key == QLatin1String("protocol"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.protocol = quint16(v); });
    if (key == QLatin1String("buffer"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.buffer = quint16(v); });
    if (key == QLatin1String("version"))
        return Version(value);
    if (key == QLatin1String("flash_base"))
        return Number(value, 0xFFFFFFFF, [&s](quint32 v) { s.flashBase = v; });
    if (key == QLatin1String("flash_size"))
        return Number(value, CSimComponentFile::kMaxFlashSize, [&s](quint32 v) { s.flashSize = v; });
    if (key == QLatin1String("erase_seconds"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.eraseSeconds = quint16(v); });
    if (key == QLatin1String("edit"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.edit = quint16(v); });
    if (key == QLatin1String("program_kib_per_s"))
        return Number(value, 0xFFFFFFFF, [&s](quint32 v) { s.programKibPerSecond = v; });
    if (key == QLatin1String("fault.stuck_bits"))
        return StuckBits(value);
    if (key == QLatin1String("fault.drop_write"))
        return Number(value, 0xFFFFFFFF, [&s](quint32 v) { s.dropWrite = v; });
    if (key == QLatin1String("fault.wrong_echo"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.wrongEcho = quint16(v); });
    if (key == QLatin1String("fault.no_answer"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.noAnswer = quint16(v); });
    if (key == QLatin1String("fault.lost_at"))
        return Number(value, 0xFFFF, [&s](quint32 v) { s.lostAt = quint16(v); });
    if (key == QLatin1String("fault.missing_symbol"))
        return Symbol(value);
    if (key == QLatin1String("fault.load_error"))
        return Number(value, 1, [&s](quint32 v) { s.loadError = v == 1; });
    return QStringLiteral("unknown key \"%1\".").arg(key);
}

} // namespace

bool CSimComponentFile::Parse(const QString &path, const QByteArray &text, SimComponentSettings &settings, QString &error)
{
    const QString where = QDir::toNativeSeparators(path);
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    if (lines.first().trimmed() != kFirstLine) {
        error = QStringLiteral("%1, line 1: not a simulated target component file; the first line must be \"%2\".")
                    .arg(where, kFirstLine);
        return false;
    }
    settings = SimComponentSettings {};
    CComponentParser parser(settings);
    for (int i = 1; i < lines.size(); ++i) {
        const qsizetype hash = lines[i].indexOf(u'#');
        const QString line = (hash < 0 ? lines[i] : lines[i].left(hash)).trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString problem = equals < 0
            ? QStringLiteral("expected \"key = value\".")
            : parser.Take(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        if (!problem.isEmpty()) {
            error = QStringLiteral("%1, line %2: %3").arg(where).arg(i + 1).arg(problem);
            return false;
        }
    }
    return true;
}
