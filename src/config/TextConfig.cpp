#include "TextConfig.h"

#include "ControlIds.h"
#include "NumberParsing.h"
#include "base/FailureReporter.h"
#include "base/FileName.h"
#include "base/InputFile.h"

#include <QFile>

#include <variant>

namespace {

using Field = std::variant<QString CDocumentFields::*, qint32 CDocumentFields::*, quint32 CDocumentFields::*,
                           quint16 CDocumentFields::*>;

// A key and the field it sets. Text fields take the value as it stands, numbers
// lose every blank; 16-bit fields are yes/no flags written as 0 or 1.
struct KeyedField {
    quint32 key;
    Field field;
    bool nonZeroIsOne = false;  // a 32-bit field that takes only 0 or 1 from a text configuration
};

const KeyedField kKeys[] = {
    {ControlId::HexCmdEdit, &CDocumentFields::m_strHexCmdFile},
    {ControlId::Subfamily, &CDocumentFields::m_nSubfamily},
    {ControlId::FlashBaseEdit, &CDocumentFields::m_nFlashBase},
    {ControlId::FlashSizeEdit, &CDocumentFields::m_nFlashSize},
    {ControlId::ImageOffsetEdit, &CDocumentFields::m_nImageOffset},
    {ControlId::BurnFileEdit, &CDocumentFields::m_strBurnFile},
    {ControlId::CvtcFileEdit, &CDocumentFields::m_strCvtcFile},
    {ControlId::VerifyWriteCheck, &CDocumentFields::m_bVerifyWrite},
    {ControlId::WriteBootAddrCheck, &CDocumentFields::m_bWriteBootAddr},
    {ControlId::ConnectionList, &CDocumentFields::m_strConnection},
    {ControlId::OverrideFlashCheck, &CDocumentFields::m_bOverrideFlash, true},
};

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

void SkipRestOfLine(QIODevice &file)
{
    char c;
    while (file.getChar(&c) && c != '\n') {
    }
}

// The value runs to "#", the line end or the end of the file.
QByteArray ReadValue(QIODevice &file)
{
    QByteArray value;
    char c;
    while (file.getChar(&c) && c != '\n') {
        if (c == '#' || c == '\r') {
            SkipRestOfLine(file);
            break;
        }
        value.append(c);
    }
    return TrimBlanks(value);
}

QString FormatNumber(qint64 value)
{
    return (value < 0 ? QStringLiteral("-0x") : QStringLiteral("0x")) + QString::number(qAbs(value), 16).toUpper();
}

const QString kCannotOpen = QStringLiteral("*** Text CDD File Error *** Cannot open CDD TEXT File.");
const QString kMissingValue = QStringLiteral("*** Text CDD File Error -- Need 2 items per cdd line.");
const QString kUnknownKey = QStringLiteral("*** Text CDD File Error -- Unknown res type in CDD text file.");

} // namespace

bool CTextConfig::LoadTextConfig(CDocumentFields &fields, const QString &path)
{
    QFile file;
    if (const QString reason = CInputFile::Open(file, path); !reason.isEmpty()) {
        const QString text = kCannotOpen + QLatin1String("\r\n") + CFileName::ReasonLine(path, reason);
        theReporter().Report(CFailure::Message(text, CFailure::Then::UnattendedRunEnds));
        return false;
    }
    return LoadTextConfig(fields, file);
}

bool CTextConfig::LoadTextConfig(CDocumentFields &fields, QIODevice &file)
{
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    if (file.peek(byteOrderMark.size()) == byteOrderMark)
        file.skip(byteOrderMark.size());
    bool clean = true;
    quint32 key = 0;
    QString value;
    for (;;) {
        switch (ReadTextConfigItem(file, key, value)) {
        case ItemStatus::Item:
            if (!ApplyItem(fields, key, value)) {
                ReportMessage(kUnknownKey);
                clean = false;
            }
            continue;
        case ItemStatus::MissingValue:
            ReportMessage(kMissingValue);
            return false;
        case ItemStatus::EndOfFile:
            return clean;
        }
    }
}

CTextConfig::ItemStatus CTextConfig::ReadTextConfigItem(QIODevice &file, quint32 &key, QString &value)
{
    QByteArray keyText;
    char c;
    while (file.getChar(&c)) {
        if (c == '#' || c == '\r' || c == '\n') {
            if (!keyText.isEmpty())
                return ItemStatus::MissingValue;
            if (c != '\n')
                SkipRestOfLine(file);
        } else if (IsBlank(c)) {
            if (keyText.isEmpty())
                continue;
            key = ParseUnsigned(QString::fromLatin1(keyText));
            value = QString::fromUtf8(ReadValue(file));
            return ItemStatus::Item;
        } else {
            keyText.append(c);
        }
    }
    return ItemStatus::EndOfFile;  // a key cut off by the end of the file is lost
}

bool CTextConfig::ApplyItem(CDocumentFields &fields, quint32 key, const QString &value)
{
    for (const KeyedField &keyed : kKeys) {
        if (keyed.key != key)
            continue;
        const QString number = QString(value).remove(u' ').remove(u'\t');
        std::visit(Overloaded{
                       [&](QString CDocumentFields::*text) { fields.*text = value; },
                       [&](qint32 CDocumentFields::*n) {
                           const qint32 parsed = ParseSigned(number);
                           fields.*n = keyed.nonZeroIsOne ? qint32(parsed != 0) : parsed;
                       },
                       [&](quint32 CDocumentFields::*n) { fields.*n = ParseUnsigned(number); },
                       [&](quint16 CDocumentFields::*flag) { fields.*flag = ParseSigned(number) != 0 ? 1 : 0; },
                   },
                   keyed.field);
        return true;
    }
    return false;
}

CResult CTextConfig::Format(const CDocumentFields &fields, QByteArray &text)
{
    QString lines;
    for (const KeyedField &keyed : kKeys) {
        const QString value = std::visit(Overloaded{
                                             [&](QString CDocumentFields::*s) { return fields.*s; },
                                             [&](qint32 CDocumentFields::*n) { return FormatNumber(fields.*n); },
                                             [&](quint32 CDocumentFields::*n) { return FormatNumber(fields.*n); },
                                             [&](quint16 CDocumentFields::*flag) {
                                                 return QString::number(fields.*flag != 0 ? 1 : 0);
                                             },
                                         },
                                         keyed.field);
        if (value.contains(u'\n') || value.contains(u'\r'))
            return CFailure::Message(
                QStringLiteral("The value of key %1 holds a line break; printed, it would read back as further keys.")
                    .arg(keyed.key));
        lines += QString::number(keyed.key) + u' ' + value + QLatin1String("\r\n");
    }
    text = lines.toUtf8();
    return {};
}
