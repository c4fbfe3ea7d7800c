#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Splits what a GDB server sends into acknowledgements and packets, checks
// each packet's checksum and expands its run-length encoding.
class CGdbPacketReader {
public:
    static constexpr qsizetype kMaxPacketBytes = qsizetype(1) << 20;

    enum class Kind {
        Ack,          // '+'
        Nak,          // '-': resend
        Packet,       // payload: the expanded packet
        BadChecksum,  // payload: the packet as received
        Garbage,      // payload: what came instead of a packet
        TooLong,      // a packet longer than kMaxPacketBytes
    };
    struct Item {
        Kind kind;
        QByteArray payload;
    };

    void Append(const QByteArray &bytes) { m_buffer += bytes; }
    // The next whole item; nothing until one has arrived.
    std::optional<Item> Next();
    // True while a packet has begun and not ended.
    bool InPacket() const { return !m_buffer.isEmpty(); }

private:
    std::optional<Item> NextPacket();
    static std::optional<QByteArray> Expand(const QByteArray &data);

    QByteArray m_buffer;
};
