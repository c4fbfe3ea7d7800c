#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Splits what a GDB server sends into acknowledgements and packets, checks
// each packet's checksum and expands its run-length encoding. A packet longer
// than the limit is refused as soon as it passes it, not buffered whole. The
// bytes are received straight into the reader's buffer, which keeps its room.
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

    void Append(QByteArrayView bytes);
    // Room for `bytes` more at the end, to be filled and then committed
    // with the count filled; valid until the next call.
    char *Space(qsizetype bytes);
    void Commit(qsizetype bytes) { m_nEnd += bytes; }
    // The next whole item; nothing until one has arrived.
    std::optional<Item> Next();
    // True while a packet has begun and not ended.
    bool InPacket() const { return m_nStart < m_nEnd; }
    // The longest packet taken, before and after expanding its run-length encoding.
    void SetLimit(qsizetype bytes) { m_nLimit = bytes; }
    qsizetype Limit() const { return m_nLimit; }

private:
    std::optional<Item> NextPacket();
    void Skip(qsizetype bytes);
    std::optional<QByteArray> Expand(QByteArrayView data) const;

    QByteArray m_buffer;        // valid up to m_nEnd
    qsizetype m_nEnd = 0;
    qsizetype m_nStart = 0;     // of the first item not yet taken
    qsizetype m_nScanned = 0;   // searched for the end of the packet at m_nStart
    qsizetype m_nLimit = kDefaultLimit;
};
