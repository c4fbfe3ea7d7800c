#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// The text forms of the GDB remote protocol: packet frames, binary escapes
// and hexadecimal numbers and bytes.
class CGdbPacket {
public:
    // "$payload#cs"; the payload is sent as given (binary data escaped before).
    static QByteArray Frame(const QByteArray &payload);
    // The bytes Frame(payload) takes.
    static qsizetype FrameSize(const QByteArray &payload) { return payload.size() + 4; }
    static quint8 Checksum(const QByteArray &payload);
    // Binary data with '#', '$', '}' and '*' written as '}' and the byte XOR 0x20.
    static QByteArray Escape(const QByteArray &bytes);
    static QByteArray Unescape(const QByteArray &escaped);
    // The bytes an escaped byte takes: 1 or 2.
    static qsizetype EscapedSize(char byte);
    // Hexadecimal digits to bytes; nothing on an odd count or another character.
    static std::optional<QByteArray> FromHex(const QByteArray &hex);
    static std::optional<quint32> NumberFromHex(const QByteArray &hex);
    // A packet as the exchange record shows it: printable, long ones shortened.
    static QString Shown(const QByteArray &payload);
};
