#include "TiTxtSource.h"

#include "HexDigit.h"

namespace {

constexpr int kMaxAddressDigits = 8;

} // namespace

CTiTxtSource::Next CTiTxtSource::ParseRecord()
{
    m_nAddress = m_nNext;
    while (!m_bEnded && m_nLength < kRecordBytes) {
        SkipSpace();
        const int c = PeekByte();
        if (c == '@' && m_nLength > 0)
            break;
        if (c < 0) {
            FailOnLine(QStringLiteral("The file ends without its end mark 'q'."));
            return Next::Failed;
        }
        if (c == 'q' || c == 'Q') {
            m_bEnded = true;
        } else if (c == '@') {
            m_input.Skip(1);
            if (!ReadAddress())
                return Next::Failed;
            m_nAddress = m_nNext;
        } else if (!ReadByte()) {
            return Next::Failed;
        }
    }
    m_nNext = m_nAddress + quint32(m_nLength / m_nBytesPerUnit);
    return m_nLength > 0 ? Next::Data : Next::End;
}

bool CTiTxtSource::ReadAddress()
{
    quint32 address = 0;
    int digits = 0;
    for (int digit = HexDigit::Value(PeekByte()); digit >= 0; digit = HexDigit::Value(PeekByte())) {
        if (++digits > kMaxAddressDigits) {
            FailOnLine(QStringLiteral("The section address has more than 8 digits."));
            return false;
        }
        address = address << 4 | quint32(digit);
        m_input.Skip(1);
    }
    if (digits == 0 || !IsBlank(PeekByte())) {
        FailOnLine(QStringLiteral("A section address must be hexadecimal digits after '@'."));
        return false;
    }
    m_nNext = address;
    return true;
}

bool CTiTxtSource::ReadByte()
{
    // The common case in one look: two digits and the blank after them.
    if (const quint8 *text = m_input.Peek(3); text && IsBlank(text[2])) {
        const int value = HexDigit::PairValue(text);
        if (value >= 0) {
            m_data[size_t(m_nLength++)] = quint8(value);
            m_input.Skip(3);
            return true;
        }
    }
    if (!ReadHexBytes(1, m_data.data() + m_nLength))
        return false;
    const int next = PeekByte();
    if (next >= 0 && !IsBlank(next)) {
        FailOnLine(QStringLiteral("Byte values must be two hexadecimal digits between blanks."));
        return false;
    }
    ++m_nLength;
    return true;
}
