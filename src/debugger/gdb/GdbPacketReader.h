#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Splits what a GDB server sends into acknowledgements and packets, checks
// each packet's checksum and expands its run-length encoding. A packet longer
// than the limit is refused as soon as it passes it, not buffered whole.
class CGdbPacketReader {
public:
    static constexpr qsizetype kDefaultLimit = qsizetype(1) << 17;

    enum class Kind {
        Ack,          // '+'
        Nak,          // '-': resend
        Packet,       // payload: the expanded packet
        BadChecksum,  // payload: the packet as received
        Garbage,      // payload: what came instead of a packet
        TooLong,      // a packet longer than the limit
    };
    struct Item {
        Kind kind;
        QByteArray payload;
    };

    void Append(const QByteArray &bytes);
    // The next whole item; nothing until one has arrived.
    std::optional<Item> Next();
    // True while a packet has begun and not ended.
    bool InPacket() const { return m_nStart < m_buffer.size(); }
    // The longest packet taken, before and after expanding its run-length encoding.
    void SetLimit(qsizetype bytes) { m_nLimit = bytes; }
    qsizetype Limit() const { return m_nLimit; }

private:
    std::optional<Item> NextPacket();
    void Skip(qsizetype bytes);
    std::optional<QByteArray> Expand(const QByteArray &data) const;

    QByteArray m_buffer;
    qsizetype m_nStart = 0;     // of the first item not yet taken
    qsizetype m_nScanned = 0;   // searched for the end of the packet at m_nStart
    qsizetype m_nLimit = kDefaultLimit;
};
