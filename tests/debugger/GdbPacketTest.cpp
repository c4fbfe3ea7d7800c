#include "debugger/gdb/GdbFrame.h"
#include "debugger/gdb/GdbPacket.h"
#include "debugger/gdb/GdbPacketReader.h"
#include <QList>

#include <numeric>

#include <gtest/gtest.h>

namespace {

using Kind = CGdbPacketReader::Kind;

TEST(GdbPacket, FramesAndEscapes)
{
    CGdbFrame frame;
    EXPECT_EQ(frame.Add("OK").Finished(), QByteArray("$OK#9a"));
    EXPECT_EQ(frame.Start().Finished(), QByteArray("$#00"));
    const QByteArray binary("a#b$c}d*\0e", 10);
    const QByteArray escaped("a}\x03" "b}\x04" "c}]d}\x0a" "\0e", 14);
    frame.Start().Add('X').AddNumber(0x3400ff00).Add(',').AddNumber(0).Add(':').AddEscaped(binary);
    EXPECT_EQ(frame.Payload(), "X3400ff00,0:" + escaped);
    EXPECT_EQ(frame.Size(), frame.Payload().size() + 4);
    EXPECT_EQ(frame.Finished().right(3), '#' + QByteArray::number(CGdbPacket::Checksum(frame.Payload()), 16).rightJustified(2, '0'));
    const QByteArray all = [] {
        QByteArray bytes(256, '\0');
        std::iota(bytes.begin(), bytes.end(), char(0));
        return bytes;
    }();
    frame.Start().Add('M').AddHex(all);
    EXPECT_EQ(frame.Payload(), 'M' + all.toHex());
    EXPECT_EQ(frame.Finished().right(3), '#' + QByteArray::number(CGdbPacket::Checksum(frame.Payload()), 16).rightJustified(2, '0'));
    EXPECT_EQ(CGdbPacket::Unescape(escaped), binary);
    EXPECT_EQ(CGdbPacket::FromHex("00ff7A"), QByteArray("\x00\xff\x7a", 3));
    EXPECT_FALSE(CGdbPacket::FromHex("0g"));
    EXPECT_FALSE(CGdbPacket::FromHex("012"));
    EXPECT_EQ(CGdbPacket::NumberFromHex("3fff"), 0x3fffu);
    EXPECT_FALSE(CGdbPacket::NumberFromHex("0x10"));
    EXPECT_FALSE(CGdbPacket::NumberFromHex("123456789"));
    EXPECT_EQ(CGdbPacket::Shown(QByteArray(100, 'a')), QString(60, u'a') + QStringLiteral("... (100 bytes)"));
}

TEST(GdbPacketReader, SplitsChecksAndExpands)
{
    struct Case {
        QList<QByteArray> pieces;   // as they arrive
        QList<Kind> kinds;
        QByteArray lastPayload;
    };
    for (const Case &c : {
             Case {{"+$OK#9a"}, {Kind::Ack, Kind::Packet}, "OK"},
             Case {{"-", "$O", "K#", "9", "a"}, {Kind::Nak, Kind::Packet}, "OK"},
             Case {{"$0* #7a"}, {Kind::Packet}, "0000"},
             Case {{"$OK#9A+"}, {Kind::Packet, Kind::Ack}, {}},
             Case {{"$OK#00"}, {Kind::BadChecksum}, "OK"},
             Case {{"$OK#zz"}, {Kind::BadChecksum}, "OK"},
             Case {{"SSH-2.0-OpenSSH\r\n"}, {Kind::Garbage}, "SSH-2.0-OpenSSH\r\n"},
             Case {{"$*!#4b"}, {Kind::Garbage}, "*!"},
             Case {{'$' + QByteArray(CGdbPacketReader::kDefaultLimit + 2, 'a')}, {Kind::TooLong}, {}},
         }) {
        CGdbPacketReader reader;
        QList<Kind> kinds;
        QByteArray payload;
        for (const QByteArray &piece : c.pieces) {
            reader.Append(piece);
            while (const std::optional<CGdbPacketReader::Item> item = reader.Next()) {
                kinds.append(item->kind);
                if (!item->payload.isEmpty())
                    payload = item->payload;
            }
        }
        EXPECT_EQ(kinds, c.kinds) << c.pieces.join().left(40).toStdString();
        EXPECT_EQ(payload, c.lastPayload.isNull() ? payload : c.lastPayload);
        EXPECT_FALSE(reader.InPacket());
    }
}

} // namespace
