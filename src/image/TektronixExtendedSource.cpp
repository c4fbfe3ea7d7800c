#include "TektronixExtendedSource.h"

#include "HexDigit.h"
#include "NibbleSum.h"

namespace {

constexpr int kSymbols = 3;
constexpr int kData = 6;
constexpr int kTermination = 8;
// Type, two checksum digits and the address length digit.
constexpr int kFixedDigits = 4;

} // namespace

CTektronixExtendedSource::Next CTektronixExtendedSource::ParseRecord()
{
    while (!m_bEnded) {
        if (AtEndOfFile())
            break;
        if (!ReadMark('%', {}))
            return Next::Failed;
        quint8 length = 0;
        if (!ReadHexBytes(1, &length) || !ReadRecord(length))
            return Next::Failed;
        if (m_nLength > 0)
            return Next::Data;
    }
    return Next::End;
}

bool CTektronixExtendedSource::ReadRecord(int length)
{
    const int count = length - 2;
    if (count < kFixedDigits + 1) {
        FailOnLine(QStringLiteral("A record of %1 characters is too short.").arg(length));
        return false;
    }
    const quint8 *text = m_input.Peek(count);
    if (text == nullptr) {
        FailOnLine(QStringLiteral("The record is cut off by the end of the file."));
        return false;
    }
    const bool taken = text[0] == '0' + kSymbols || TakeRecord(text, count, length);
    m_input.Skip(count);
    return taken;
}

bool CTektronixExtendedSource::TakeRecord(const quint8 *text, int count, int length)
{
    std::array<quint8, 256> digits;
    const quint8 lengthByte = quint8(length);
    unsigned sum = NibbleSum(&lengthByte, 1);
    for (int i = 0; i < count; ++i) {
        const int digit = HexDigit::Value(text[i]);
        if (digit < 0) {
            FailOnLine(QStringLiteral("Invalid hex character seen."));
            return false;
        }
        digits[size_t(i)] = quint8(digit);
        if (i != 1 && i != 2)
            sum += unsigned(digit);
    }
    const unsigned checksum = unsigned(digits[1] << 4 | digits[2]);
    if (!CheckDigitSum(checksum, sum))
        return false;
    const int type = digits[0];
    const int addressDigits = digits[3];
    const int dataDigits = count - kFixedDigits - addressDigits;
    if (addressDigits < 1 || addressDigits > 8 || dataDigits < 0 || dataDigits % 2 != 0) {
        FailOnLine(QStringLiteral("A record of %1 characters cannot hold an address of %2 digits and whole bytes.")
                       .arg(length)
                       .arg(addressDigits));
        return false;
    }
    if (type != kData && type != kTermination) {
        FailOnLine(QStringLiteral("Extended Tektronix record type %1 is unknown.").arg(type));
        return false;
    }
    quint32 address = 0;
    for (int i = 0; i < addressDigits; ++i)
        address = address << 4 | digits[size_t(kFixedDigits + i)];
    m_bEnded = type == kTermination;
    m_nAddress = address;
    m_nLength = m_bEnded ? 0 : dataDigits / 2;
    for (int i = 0; i < m_nLength; ++i) {
        const size_t at = size_t(kFixedDigits + addressDigits + 2 * i);
        m_data[size_t(i)] = quint8(digits[at] << 4 | digits[at + 1]);
    }
    return true;
}
