#include "GdbFrame.h"

#include "GdbPacket.h"

#include <array>

namespace {

constexpr char kDigits[] = "0123456789abcdef";
constexpr qsizetype kTrailerBytes = 3;   // "#" and two checksum digits

// The sum of the two hexadecimal digits of each byte.
constexpr std::array<quint8, 256> kHexSums = [] {
    std::array<quint8, 256> sums {};
    for (int byte = 0; byte < 256; ++byte)
        sums[byte] = quint8(kDigits[byte >> 4] + kDigits[byte & 0xF]);
    return sums;
}();

} // namespace

CGdbFrame &CGdbFrame::Start()
{
    m_bytes.resize(1);
    m_bytes[0] = '$';
    m_nPayloadEnd = 1;
    m_sum = 0;
    m_bFinished = false;
    return *this;
}

CGdbFrame &CGdbFrame::Add(QByteArrayView text)
{
    m_bytes.append(text);
    for (const char c : text)
        m_sum = quint8(m_sum + quint8(c));
    m_nPayloadEnd = m_bytes.size();
    return *this;
}

CGdbFrame &CGdbFrame::AddNumber(quint32 number)
{
    char digits[8];
    qsizetype count = 0;
    do {
        digits[7 - count++] = kDigits[number & 0xF];
        number >>= 4;
    } while (number != 0);
    return Add(QByteArrayView(digits + 8 - count, count));
}

CGdbFrame &CGdbFrame::AddHex(QByteArrayView bytes)
{
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + 2 * bytes.size());
    char *out = m_bytes.data() + start;
    quint8 sum = m_sum;
    for (const char c : bytes) {
        const quint8 byte = quint8(c);
        *out++ = kDigits[byte >> 4];
        *out++ = kDigits[byte & 0xF];
        sum = quint8(sum + kHexSums[byte]);
    }
    m_sum = sum;
    m_nPayloadEnd = m_bytes.size();
    return *this;
}

CGdbFrame &CGdbFrame::AddEscaped(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (CGdbPacket::EscapedSize(c) == 2)
            Add(CGdbPacket::kEscape).Add(char(c ^ CGdbPacket::kEscapeXor));
        else
            Add(c);
    }
    return *this;
}

const QByteArray &CGdbFrame::Finished()
{
    if (!m_bFinished) {
        m_bytes.append('#').append(kDigits[m_sum >> 4]).append(kDigits[m_sum & 0xF]);
        m_bFinished = true;
    }
    return m_bytes;
}

qsizetype CGdbFrame::Size() const
{
    return m_nPayloadEnd + kTrailerBytes;
}
