#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// The text forms of the GDB remote protocol: checksums, binary escapes and
// hexadecimal numbers and bytes (packets are written with CGdbFrame).
class CGdbPacket {
public:
    static constexpr char kEscape = '}';
    static constexpr char kEscapeXor = 0x20;

    static quint8 Checksum(QByteArrayView payload);
    // Binary data with '#', '$', '}' and '*' written as '}' and the byte XOR 0x20.
    static QByteArray Unescape(const QByteArray &escaped);
    // The bytes an escaped byte takes: 1 or 2.
    static qsizetype EscapedSize(char byte);
    // Hexadecimal digits to bytes; nothing on an odd count or another character.
    static std::optional<QByteArray> FromHex(const QByteArray &hex);
    static std::optional<quint32> NumberFromHex(const QByteArray &hex);
    // A packet as the exchange record shows it: printable, long ones shortened.
    static QString Shown(QByteArrayView payload);
};
