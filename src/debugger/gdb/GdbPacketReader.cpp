#include "GdbPacketReader.h"

#include "GdbPacket.h"

namespace {

constexpr qsizetype kChecksumDigits = 2;
constexpr char kRunLength = '*';
constexpr int kRunLengthBias = 29;
constexpr qsizetype kGarbageShown = 40;

} // namespace

void CGdbPacketReader::Append(const QByteArray &bytes)
{
    if (m_nStart == m_buffer.size()) {
        m_buffer.resize(0);
        m_nStart = m_nScanned = 0;
    }
    m_buffer += bytes;
}

std::optional<CGdbPacketReader::Item> CGdbPacketReader::Next()
{
    if (!InPacket())
        return std::nullopt;
    const char first = m_buffer[m_nStart];
    if (first == '+' || first == '-') {
        Skip(1);
        return Item {first == '+' ? Kind::Ack : Kind::Nak, {}};
    }
    if (first == '$')
        return NextPacket();
    const Item garbage {Kind::Garbage, m_buffer.mid(m_nStart, kGarbageShown)};
    Skip(m_buffer.size() - m_nStart);
    return garbage;
}

void CGdbPacketReader::Skip(qsizetype bytes)
{
    m_nStart += bytes;
    m_nScanned = m_nStart;
}

std::optional<CGdbPacketReader::Item> CGdbPacketReader::NextPacket()
{
    const qsizetype data = m_nStart + 1;
    const qsizetype end = m_buffer.indexOf('#', std::max(m_nScanned, data));
    m_nScanned = end < 0 ? m_buffer.size() : end;
    if ((end < 0 ? m_buffer.size() : end) - data > m_nLimit) {
        Skip(m_buffer.size() - m_nStart);
        return Item {Kind::TooLong, {}};
    }
    if (end < 0 || m_buffer.size() < end + 1 + kChecksumDigits)
        return std::nullopt;
    const QByteArray payload = m_buffer.mid(data, end - data);
    const std::optional<quint32> checksum = CGdbPacket::NumberFromHex(m_buffer.mid(end + 1, kChecksumDigits));
    Skip(end + 1 + kChecksumDigits - m_nStart);
    if (!checksum || *checksum != CGdbPacket::Checksum(payload))
        return Item {Kind::BadChecksum, payload};
    const std::optional<QByteArray> expanded = Expand(payload);
    if (!expanded)
        return Item {Kind::Garbage, payload.left(kGarbageShown)};
    if (expanded->size() > m_nLimit)
        return Item {Kind::TooLong, {}};
    return Item {Kind::Packet, *expanded};
}

// "0* " is "0000": '*' repeats the character before it (count - 29) more times.
std::optional<QByteArray> CGdbPacketReader::Expand(const QByteArray &data) const
{
    if (!data.contains(kRunLength))
        return data;
    QByteArray expanded;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] != kRunLength) {
            expanded.append(data[i]);
            continue;
        }
        if (expanded.isEmpty() || i + 1 >= data.size() || data[i + 1] - kRunLengthBias <= 0)
            return std::nullopt;
        expanded.append(QByteArray(data[++i] - kRunLengthBias, expanded.back()));
        if (expanded.size() > m_nLimit)
            return expanded;
    }
    return expanded;
}
