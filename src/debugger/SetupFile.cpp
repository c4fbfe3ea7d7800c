#include "SetupFile.h"

#include "Subfamily.h"
#include "base/FileName.h"
#include "base/InputFile.h"
#include "base/XdgDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <optional>

namespace {

constexpr qint32 kFailureStatus = -1;
// A setup file lists a few boards; a larger file is no setup file.
constexpr qint64 kMaxFileBytes = 1024 * 1024;
constexpr double kMaxSeconds = 3600;

// Splits a command line at blanks; double quotes group blanks into an
// argument and are removed. False when a quote is left open.
bool SplitCommand(const QString &line, QStringList &arguments)
{
    QString argument;
    bool inArgument = false;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"') {
            quoted = !quoted;
            inArgument = true;
        } else if (c.isSpace() && !quoted) {
            if (inArgument)
                arguments.append(argument);
            argument.clear();
            inArgument = false;
        } else {
            argument += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(argument);
    return !quoted;
}

// The keys each kind takes besides kind, subfamily and byte_order.
QStringList KeysOf(SetupProcessor::Kind kind)
{
    switch (kind) {
    case SetupProcessor::Kind::Gdb:
        return {QStringLiteral("address"), QStringLiteral("timeout"), QStringLiteral("start"),
                QStringLiteral("start_timeout")};
    case SetupProcessor::Kind::Ccs:
        return {QStringLiteral("ccs_root"), QStringLiteral("ccxml"), QStringLiteral("core"), QStringLiteral("api"),
                QStringLiteral("python"), QStringLiteral("timeout"), QStringLiteral("start_timeout")};
    default:
        return {};
    }
}

} // namespace

QString CSetupFile::KindName(SetupProcessor::Kind kind)
{
    switch (kind) {
    case SetupProcessor::Kind::Bypass:
        return QStringLiteral("BYPASS");
    case SetupProcessor::Kind::Simulator:
        return QStringLiteral("sim");
    case SetupProcessor::Kind::Gdb:
        return QStringLiteral("gdb");
    case SetupProcessor::Kind::Ccs:
        return QStringLiteral("ccs");
    }
    return {};
}

namespace {

// The sub-family a TI core name says ("C28xx_CPU1", "C674X_0"), or 0.
qint32 SubfamilyOfCore(const QString &core)
{
    static const QList<std::pair<QLatin1String, qint32>> fragments = {
        {QLatin1String("C28"), 0x28},    {QLatin1String("C55"), 0x55},     {QLatin1String("C674"), 0x64},
        {QLatin1String("C64"), 0x64},    {QLatin1String("C66"), 0x64},     {QLatin1String("C67"), 0x67},
        {QLatin1String("ARM9"), 2},      {QLatin1String("OMAP-L"), 2},     {QLatin1String("OMAPL"), 2},
    };
    for (const auto &[fragment, code] : fragments) {
        if (core.contains(fragment, Qt::CaseInsensitive))
            return code;
    }
    return 0;
}

// One line's worth of parsing state: the boards so far and what the open
// processor section has set.
class CSetupParser {
public:
    explicit CSetupParser(const QString &path)
        : m_path(path)
    {
    }

    bool ParseLine(int lineNumber, const QString &line);
    bool Finish();
    QList<SetupBoard> Boards() const { return m_boards; }
    QString Error() const { return m_error; }

private:
    bool Section(const QString &header);
    bool Setting(const QString &key, const QString &value);
    bool SetKind(const QString &value);
    bool SetSubfamily(const QString &value);
    bool SetByteOrder(const QString &value);
    bool SetAddress(const QString &value);
    bool SetSeconds(const QString &key, const QString &value, qint32 &milliseconds);
    bool SetStart(const QString &value);
    bool SetPath(const QString &key, const QString &value, QString &path);
    bool SetText(const QString &key, const QString &value, QString &text);
    bool SetApi(const QString &value);
    bool CloseProcessor();
    bool CheckKeysOfKind();
    bool CloseGdbProcessor();
    bool CloseCcsProcessor();
    void ApplySubfamily(const SubfamilyInfo &info);
    bool Fail(const QString &text);
    bool FailAt(int lineNumber, const QString &text);

    QString m_path;
    QString m_error;
    int m_nLine = 0;
    QList<SetupBoard> m_boards;
    bool m_bProcessorOpen = false;
    int m_nProcessorLine = 0;
    SetupProcessor m_processor;
    QMap<QString, int> m_keyLines;   // the keys of the open processor and where they are
    bool m_bByteOrderSet = false;
    std::optional<qint32> m_timeoutMs;
    std::optional<qint32> m_startTimeoutMs;
};

bool CSetupParser::ParseLine(int lineNumber, const QString &rawLine)
{
    m_nLine = lineNumber;
    const QString line = rawLine.trimmed();
    if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
        return true;
    if (line.startsWith(u'[')) {
        if (!line.endsWith(u']'))
            return Fail(QStringLiteral("a section header must end with \"]\"."));
        return Section(line.mid(1, line.size() - 2).trimmed());
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return Fail(QStringLiteral("expected \"[board NAME]\", \"[processor NAME]\" or \"key = value\"."));
    return Setting(line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed());
}

bool CSetupParser::Section(const QString &header)
{
    const qsizetype blank = header.indexOf(u' ');
    const QString word = header.left(blank < 0 ? header.size() : blank).toLower();
    const QString name = blank < 0 ? QString() : header.mid(blank + 1).trimmed();
    if (word != QLatin1String("board") && word != QLatin1String("processor"))
        return Fail(QStringLiteral("unknown section \"[%1]\"; sections are [board NAME] and [processor NAME].")
                        .arg(header));
    if (name.isEmpty())
        return Fail(QStringLiteral("the %1 has no name.").arg(word));
    if (!CloseProcessor())
        return false;
    if (word == QLatin1String("board")) {
        m_boards.append(SetupBoard {name, {}});
        return true;
    }
    if (m_boards.isEmpty())
        return Fail(QStringLiteral("processor \"%1\" comes before any [board NAME].").arg(name));
    m_bProcessorOpen = true;
    m_nProcessorLine = m_nLine;
    m_processor = SetupProcessor {};
    m_processor.name = name;
    m_keyLines.clear();
    m_bByteOrderSet = false;
    m_timeoutMs.reset();
    m_startTimeoutMs.reset();
    return true;
}

bool CSetupParser::Setting(const QString &key, const QString &value)
{
    if (!m_bProcessorOpen)
        return Fail(QStringLiteral("\"%1\" outside a [processor NAME] section.").arg(key));
    if (m_keyLines.contains(key))
        return Fail(QStringLiteral("\"%1\" is given twice.").arg(key));
    m_keyLines.insert(key, m_nLine);
    if (key == QLatin1String("kind"))
        return SetKind(value);
    if (key == QLatin1String("subfamily"))
        return SetSubfamily(value);
    if (key == QLatin1String("byte_order"))
        return SetByteOrder(value);
    if (key == QLatin1String("address"))
        return SetAddress(value);
    if (key == QLatin1String("timeout"))
        return SetSeconds(key, value, m_timeoutMs.emplace());
    if (key == QLatin1String("start"))
        return SetStart(value);
    if (key == QLatin1String("start_timeout"))
        return SetSeconds(key, value, m_startTimeoutMs.emplace());
    if (key == QLatin1String("ccs_root"))
        return SetPath(key, value, m_processor.ccs.root);
    if (key == QLatin1String("ccxml"))
        return SetPath(key, value, m_processor.ccs.ccxml);
    if (key == QLatin1String("core"))
        return SetText(key, value, m_processor.ccs.core);
    if (key == QLatin1String("api"))
        return SetApi(value);
    if (key == QLatin1String("python"))   // a program name is looked up in PATH, a path is a file
        return value.contains(u'/') ? SetPath(key, value, m_processor.ccs.python)
                                    : SetText(key, value, m_processor.ccs.python);
    return Fail(QStringLiteral("unknown key \"%1\"; keys are kind, subfamily, byte_order, address, timeout, "
                               "start, start_timeout, ccs_root, ccxml, core, api and python.")
                    .arg(key));
}

bool CSetupParser::SetKind(const QString &value)
{
    if (value.compare(QLatin1String("BYPASS"), Qt::CaseInsensitive) == 0)
        m_processor.kind = SetupProcessor::Kind::Bypass;
    else if (value.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0)
        m_processor.kind = SetupProcessor::Kind::Simulator;
    else if (value.compare(QLatin1String("gdb"), Qt::CaseInsensitive) == 0)
        m_processor.kind = SetupProcessor::Kind::Gdb;
    else if (value.compare(QLatin1String("ccs"), Qt::CaseInsensitive) == 0)
        m_processor.kind = SetupProcessor::Kind::Ccs;
    else
        return Fail(QStringLiteral("unknown kind \"%1\"; kinds are sim, gdb, ccs and BYPASS.").arg(value));
    return true;
}

bool CSetupParser::SetSubfamily(const QString &value)
{
    const SubfamilyInfo *info = FindSubfamilyByName(value);
    if (!info)
        return Fail(QStringLiteral("unknown sub-family \"%1\"; use 20x, 24x, 27x, 28x, 54x, 55x, 62x, 64x, "
                                   "67x, ARM7 or ARM9.")
                        .arg(value));
    ApplySubfamily(*info);
    return true;
}

void CSetupParser::ApplySubfamily(const SubfamilyInfo &info)
{
    m_processor.subfamily = info.code;
    if (!m_bByteOrderSet)
        m_processor.bigEndian = info.bigEndian;
}

bool CSetupParser::SetByteOrder(const QString &value)
{
    if (value.compare(QLatin1String("big"), Qt::CaseInsensitive) == 0)
        m_processor.bigEndian = true;
    else if (value.compare(QLatin1String("little"), Qt::CaseInsensitive) == 0)
        m_processor.bigEndian = false;
    else
        return Fail(QStringLiteral("byte_order must be little or big, not \"%1\".").arg(value));
    m_bByteOrderSet = true;
    return true;
}

// HOST:PORT, an IPv6 host in brackets: "[::1]:3333".
bool CSetupParser::SetAddress(const QString &value)
{
    const qsizetype colon = value.lastIndexOf(u':');
    QString host = value.left(std::max<qsizetype>(colon, 0));
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':') || host.contains(u'[') || host.contains(u']'))
        host.clear();
    bool ok = false;
    const uint port = value.mid(colon + 1).toUInt(&ok);
    if (colon < 0 || host.isEmpty() || !ok || port == 0 || port > 65535)
        return Fail(QStringLiteral("address must be HOST:PORT with a port from 1 to 65535 (IPv6 as [::1]:PORT), "
                                   "not \"%1\".")
                        .arg(value));
    m_processor.gdb.host = host;
    m_processor.gdb.port = quint16(port);
    return true;
}

bool CSetupParser::SetSeconds(const QString &key, const QString &value, qint32 &milliseconds)
{
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > kMaxSeconds)
        return Fail(QStringLiteral("%1 must be a number of seconds above 0 and at most %2, not \"%3\".")
                        .arg(key)
                        .arg(kMaxSeconds)
                        .arg(value));
    milliseconds = std::max(1, qRound(seconds * 1000));
    return true;
}

bool CSetupParser::SetStart(const QString &value)
{
    QStringList command;
    if (!SplitCommand(value, command))
        return Fail(QStringLiteral("start has a double quote that is not closed."));
    if (command.isEmpty())
        return Fail(QStringLiteral("start names no program."));
    m_processor.gdb.start = command;
    return true;
}

// A path as given, relative ones taken from the setup file's folder.
bool CSetupParser::SetPath(const QString &key, const QString &value, QString &path)
{
    if (value.isEmpty())
        return Fail(QStringLiteral("%1 is empty.").arg(key));
    path = QDir::cleanPath(QFileInfo(m_path).absoluteDir().absoluteFilePath(value));
    return true;
}

bool CSetupParser::SetText(const QString &key, const QString &value, QString &text)
{
    if (value.isEmpty())
        return Fail(QStringLiteral("%1 is empty.").arg(key));
    text = value;
    return true;
}

bool CSetupParser::SetApi(const QString &value)
{
    if (value.compare(QLatin1String("scripting"), Qt::CaseInsensitive) == 0)
        m_processor.ccs.api = SetupCcs::Api::Scripting;
    else if (value.compare(QLatin1String("dss"), Qt::CaseInsensitive) == 0)
        m_processor.ccs.api = SetupCcs::Api::Dss;
    else
        return Fail(QStringLiteral("api must be scripting or dss, not \"%1\".").arg(value));
    return true;
}

bool CSetupParser::CloseProcessor()
{
    if (!m_bProcessorOpen)
        return true;
    m_bProcessorOpen = false;
    if (!m_keyLines.contains(QStringLiteral("kind")))
        return FailAt(m_nProcessorLine, QStringLiteral("processor \"%1\" has no kind.").arg(m_processor.name));
    if (!CheckKeysOfKind())
        return false;
    if (m_processor.kind == SetupProcessor::Kind::Simulator && m_processor.subfamily == 0)
        return FailAt(m_nProcessorLine,
                      QStringLiteral("simulated processor \"%1\" has no subfamily.").arg(m_processor.name));
    if (m_processor.kind == SetupProcessor::Kind::Gdb)
        return CloseGdbProcessor();
    if (m_processor.kind == SetupProcessor::Kind::Ccs)
        return CloseCcsProcessor();
    m_boards.last().processors.append(m_processor);
    return true;
}

// A key of another kind is a mistake the user wants to hear of.
bool CSetupParser::CheckKeysOfKind()
{
    static const QStringList common = {QStringLiteral("kind"), QStringLiteral("subfamily"),
                                       QStringLiteral("byte_order")};
    const QStringList own = KeysOf(m_processor.kind);
    for (auto key = m_keyLines.constBegin(); key != m_keyLines.constEnd(); ++key) {
        if (!common.contains(key.key()) && !own.contains(key.key()))
            return FailAt(key.value(), QStringLiteral("\"%1\" is no key of a processor of kind %2.")
                                           .arg(key.key(), CSetupFile::KindName(m_processor.kind)));
    }
    return true;
}

bool CSetupParser::CloseGdbProcessor()
{
    const SubfamilyInfo *info = FindSubfamily(m_processor.subfamily);
    if (!info || info->family != SubfamilyInfo::kArmFamily)
        return FailAt(m_nProcessorLine, QStringLiteral("GDB processor \"%1\" needs subfamily ARM7 or ARM9.")
                                            .arg(m_processor.name));
    if (m_processor.gdb.host.isEmpty())
        return FailAt(m_nProcessorLine, QStringLiteral("GDB processor \"%1\" has no address.").arg(m_processor.name));
    m_processor.gdb.timeoutMs = m_timeoutMs.value_or(SetupGdbServer::kDefaultTimeoutMs);
    m_processor.gdb.startTimeoutMs = m_startTimeoutMs.value_or(SetupGdbServer::kDefaultTimeoutMs);
    m_boards.last().processors.append(m_processor);
    return true;
}

bool CSetupParser::CloseCcsProcessor()
{
    SetupCcs &ccs = m_processor.ccs;
    for (const auto &[key, value] : {std::pair {QStringLiteral("ccs_root"), ccs.root},
                                     std::pair {QStringLiteral("ccxml"), ccs.ccxml},
                                     std::pair {QStringLiteral("core"), ccs.core}}) {
        if (value.isEmpty())
            return FailAt(m_nProcessorLine,
                          QStringLiteral("CCS processor \"%1\" has no %2.").arg(m_processor.name, key));
    }
    if (m_processor.subfamily == 0) {
        const SubfamilyInfo *info = FindSubfamily(SubfamilyOfCore(ccs.core));
        if (!info)
            return FailAt(m_nProcessorLine, QStringLiteral("CCS processor \"%1\" needs a subfamily: the core "
                                                           "\"%2\" does not say it.")
                                                .arg(m_processor.name, ccs.core));
        ApplySubfamily(*info);
    }
    // A word-addressed core reads each 16-bit word of the message block as a
    // whole, and the block stores those words high byte first.
    if (!m_bByteOrderSet && FindSubfamily(m_processor.subfamily)->wordClass == SubfamilyInfo::WordClass::Bits16)
        m_processor.bigEndian = true;
    ccs.timeoutMs = m_timeoutMs.value_or(SetupCcs::kDefaultTimeoutMs);
    ccs.startTimeoutMs = m_startTimeoutMs.value_or(SetupCcs::kDefaultStartTimeoutMs);
    m_boards.last().processors.append(m_processor);
    return true;
}

bool CSetupParser::Finish()
{
    return CloseProcessor();
}

bool CSetupParser::Fail(const QString &text)
{
    return FailAt(m_nLine, text);
}

bool CSetupParser::FailAt(int lineNumber, const QString &text)
{
    m_error = QStringLiteral("%1, line %2: %3").arg(QDir::toNativeSeparators(m_path)).arg(lineNumber).arg(text);
    return false;
}

SetupBoardList Failure(const QString &error)
{
    SetupBoardList list;
    list.status = kFailureStatus;
    list.error = error;
    return list;
}

} // namespace

QString CSetupFile::Path(bool *explicitlyNamed)
{
    const QString named = CFileName::FromEnvironment("CORVANE_SETUP");
    if (explicitlyNamed)
        *explicitlyNamed = !named.isEmpty();
    if (!named.isEmpty())
        return named;
    return XdgBaseDirectory("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/corvane/setup.ini");
}

SetupBoardList CSetupFile::Load()
{
    bool explicitlyNamed = false;
    const QString path = Path(&explicitlyNamed);
    if (!explicitlyNamed && !CFileName::Exists(path)) {
        SetupBoardList builtIn;
        builtIn.boards = BuiltInBoards();
        return builtIn;
    }
    QByteArray text;
    if (const QString reason = CInputFile::ReadAll(path, kMaxFileBytes, text); !reason.isEmpty())
        return Failure(
            QStringLiteral("Cannot read the setup file %1: %2.").arg(QDir::toNativeSeparators(path), reason));
    return Parse(path, text);
}

SetupBoardList CSetupFile::Parse(const QString &path, const QByteArray &text)
{
    CSetupParser parser(path);
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (!parser.ParseLine(i + 1, lines[i]))
            return Failure(parser.Error());
    }
    if (!parser.Finish())
        return Failure(parser.Error());
    SetupBoardList list;
    list.boards = parser.Boards();
    return list;
}

QList<SetupBoard> CSetupFile::BuiltInBoards()
{
    QList<SetupBoard> boards;
    for (const SubfamilyInfo &info : KnownSubfamilies()) {
        SetupProcessor processor;
        processor.name = QStringLiteral("CPU");
        processor.kind = SetupProcessor::Kind::Simulator;
        processor.subfamily = info.code;
        processor.bigEndian = info.bigEndian;
        boards.append(SetupBoard {QStringLiteral("Simulator ") + info.Name(), {processor}});
    }
    return boards;
}
