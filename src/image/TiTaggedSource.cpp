#include "TiTaggedSource.h"

namespace {

constexpr int kFileHeaderText = 8;
constexpr int kProgramHeaderFixed = 5;

} // namespace

CTiTaggedSource::Next CTiTaggedSource::ParseRecord()
{
    m_nAddress = m_nNext;
    while (!m_bEnded && m_nLength < kRecordBytes - 1) {
        SkipSpace();
        const int tag = PeekByte();
        if (tag == '9' && m_nLength > 0)
            break;
        if (tag < 0) {
            FailOnLine(QStringLiteral("The file ends without its end tag ':'."));
            return Next::Failed;
        }
        m_input.Skip(1);
        m_nSum += unsigned(tag);
        const Field field = ReadField(tag);
        if (field == Field::Failed)
            return Next::Failed;
        if (field == Field::RecordEnds && m_nLength > 0)
            break;
    }
    m_nNext = m_nAddress + quint32(m_nLength / m_nBytesPerUnit);
    return m_nLength > 0 ? Next::Data : Next::End;
}

CTiTaggedSource::Field CTiTaggedSource::ReadField(int tag)
{
    switch (tag) {
    case 'K': {
        const qint32 length = ReadValue(4);
        if (length >= 0 && length < kProgramHeaderFixed) {
            FailOnLine(QStringLiteral("A program header of %1 characters is too short.").arg(length));
            return Field::Failed;
        }
        return length >= 0 && SkipText(length - kProgramHeaderFixed) ? Field::More : Field::Failed;
    }
    case '0':
        return ReadValue(4) >= 0 && SkipText(kFileHeaderText) ? Field::More : Field::Failed;
    case '9': {
        const qint32 address = ReadValue(4);
        if (address < 0)
            return Field::Failed;
        m_nAddress = m_nNext = quint32(address);
        return Field::More;
    }
    case 'B': return AddBytes(2) ? Field::More : Field::Failed;
    case '*': return AddBytes(1) ? Field::More : Field::Failed;
    case '7': return CheckSum() ? Field::RecordEnds : Field::Failed;
    case '8': return ReadValue(4) >= 0 ? Field::More : Field::Failed;
    case 'F':
        m_nSum = 0;
        return Field::RecordEnds;
    case ':':
        m_bEnded = true;
        return Field::RecordEnds;
    default:
        FailOnLine(QStringLiteral("Tag '%1' is unknown.").arg(QChar(tag)));
        return Field::Failed;
    }
}

qint32 CTiTaggedSource::ReadValue(int digits)
{
    quint8 bytes[2];
    const quint8 *text = m_input.Peek(digits);
    if (!ReadHexBytes(digits / 2, bytes))
        return -1;
    for (int i = 0; i < digits; ++i)
        m_nSum += text[i];
    return digits == 4 ? qint32(bytes[0] << 8 | bytes[1]) : bytes[0];
}

bool CTiTaggedSource::SkipText(int count)
{
    const quint8 *text = m_input.Peek(count);
    if (text == nullptr) {
        FailOnLine(QStringLiteral("The header is cut off by the end of the file."));
        return false;
    }
    for (int i = 0; i < count; ++i)
        m_nSum += text[i];
    m_input.Skip(count);
    return true;
}

bool CTiTaggedSource::AddBytes(int count)
{
    const qint32 value = ReadValue(2 * count);
    if (value < 0)
        return false;
    for (int i = count - 1; i >= 0; --i)
        m_data[size_t(m_nLength++)] = quint8(value >> (8 * i));
    return true;
}

bool CTiTaggedSource::CheckSum()
{
    const unsigned expected = (0x10000 - (m_nSum & 0xFFFF)) & 0xFFFF;
    const qint32 value = ReadValue(4);
    m_nSum = 0;
    if (value < 0)
        return false;
    if (unsigned(value) == expected)
        return true;
    FailOnLine(QString::asprintf("The record's checksum is %04X; its characters need %04X.", unsigned(value), expected));
    return false;
}
