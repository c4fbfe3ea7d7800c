#include "GdbPacketReader.h"

#include "GdbPacket.h"

namespace {

constexpr qsizetype kChecksumDigits = 2;
constexpr char kRunLength = '*';
constexpr int kRunLengthBias = 29;
constexpr qsizetype kGarbageShown = 40;

} // namespace

std::optional<CGdbPacketReader::Item> CGdbPacketReader::Next()
{
    if (m_buffer.isEmpty())
        return std::nullopt;
    const char first = m_buffer[0];
    if (first == '+' || first == '-') {
        m_buffer.remove(0, 1);
        return Item {first == '+' ? Kind::Ack : Kind::Nak, {}};
    }
    if (first == '$')
        return NextPacket();
    const Item garbage {Kind::Garbage, m_buffer.left(kGarbageShown)};
    m_buffer.clear();
    return garbage;
}

std::optional<CGdbPacketReader::Item> CGdbPacketReader::NextPacket()
{
    const qsizetype end = m_buffer.indexOf('#');
    if (end < 0 ? m_buffer.size() > kMaxPacketBytes + 1 : end > kMaxPacketBytes + 1) {
        m_buffer.clear();
        return Item {Kind::TooLong, {}};
    }
    if (end < 0 || m_buffer.size() < end + 1 + kChecksumDigits)
        return std::nullopt;
    const QByteArray data = m_buffer.mid(1, end - 1);
    const std::optional<quint32> checksum = CGdbPacket::NumberFromHex(m_buffer.mid(end + 1, kChecksumDigits));
    m_buffer.remove(0, end + 1 + kChecksumDigits);
    if (!checksum || *checksum != CGdbPacket::Checksum(data))
        return Item {Kind::BadChecksum, data};
    const std::optional<QByteArray> expanded = Expand(data);
    if (!expanded)
        return Item {Kind::Garbage, data.left(kGarbageShown)};
    if (expanded->size() > kMaxPacketBytes)
        return Item {Kind::TooLong, {}};
    return Item {Kind::Packet, *expanded};
}

// "0* " is "0000": '*' repeats the character before it (count - 29) more times.
std::optional<QByteArray> CGdbPacketReader::Expand(const QByteArray &data)
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
    }
    return expanded;
}
