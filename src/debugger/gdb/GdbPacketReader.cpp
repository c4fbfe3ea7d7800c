#include "GdbPacketReader.h"

#include "GdbPacket.h"

#include <cstring>

namespace {

constexpr qsizetype kChecksumDigits = 2;
constexpr char kRunLength = '*';
constexpr int kRunLengthBias = 29;
constexpr qsizetype kGarbageShown = 40;

} // namespace

char *CGdbPacketReader::Space(qsizetype bytes)
{
    if (m_nStart == m_nEnd) {
        m_nStart = m_nScanned = m_nEnd = 0;
    } else if (m_nStart > 0 && m_nEnd + bytes > m_buffer.size()) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_nStart, size_t(m_nEnd - m_nStart));
        m_nEnd -= m_nStart;
        m_nScanned -= m_nStart;
        m_nStart = 0;
    }
    if (m_nEnd + bytes > m_buffer.size())
        m_buffer.resize(m_nEnd + bytes);
    return m_buffer.data() + m_nEnd;
}

void CGdbPacketReader::Append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    std::memcpy(Space(bytes.size()), bytes.data(), size_t(bytes.size()));
    Commit(bytes.size());
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
    const Item garbage {Kind::Garbage, m_buffer.mid(m_nStart, std::min(kGarbageShown, m_nEnd - m_nStart))};
    Skip(m_nEnd - m_nStart);
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
    const qsizetype end = QByteArrayView(m_buffer).first(m_nEnd).indexOf('#', std::max(m_nScanned, data));
    m_nScanned = end < 0 ? m_nEnd : end;
    if (m_nScanned - data > m_nLimit) {
        Skip(m_nEnd - m_nStart);
        return Item {Kind::TooLong, {}};
    }
    if (end < 0 || m_nEnd < end + 1 + kChecksumDigits)
        return std::nullopt;
    const QByteArrayView payload = QByteArrayView(m_buffer).sliced(data, end - data);
    const std::optional<quint32> checksum =
        CGdbPacket::NumberFromHex(QByteArray::fromRawData(m_buffer.constData() + end + 1, kChecksumDigits));
    Skip(end + 1 + kChecksumDigits - m_nStart);
    if (!checksum || *checksum != CGdbPacket::Checksum(payload))
        return Item {Kind::BadChecksum, payload.toByteArray()};
    std::optional<QByteArray> expanded = Expand(payload);
    if (!expanded)
        return Item {Kind::Garbage, payload.first(std::min(kGarbageShown, payload.size())).toByteArray()};
    if (expanded->size() > m_nLimit)
        return Item {Kind::TooLong, {}};
    return Item {Kind::Packet, std::move(*expanded)};
}

// "0* " is "0000": '*' repeats the character before it (count - 29) more times.
std::optional<QByteArray> CGdbPacketReader::Expand(QByteArrayView data) const
{
    if (!data.contains(kRunLength))
        return data.toByteArray();
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
