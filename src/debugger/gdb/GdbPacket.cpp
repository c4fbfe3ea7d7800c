#include "GdbPacket.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr qsizetype kShownBytes = 60;

bool IsHex(const QByteArray &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(quint8(c)) != 0; });
}

bool NeedsEscape(char byte)
{
    return byte == '#' || byte == '$' || byte == CGdbPacket::kEscape || byte == '*';
}

} // namespace

quint8 CGdbPacket::Checksum(QByteArrayView payload)
{
    quint8 sum = 0;
    for (const char byte : payload)
        sum = quint8(sum + quint8(byte));
    return sum;
}

qsizetype CGdbPacket::EscapedSize(char byte)
{
    return NeedsEscape(byte) ? 2 : 1;
}

QByteArray CGdbPacket::Unescape(const QByteArray &escaped)
{
    QByteArray bytes;
    bytes.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == kEscape && i + 1 < escaped.size())
            bytes.append(char(escaped[++i] ^ kEscapeXor));
        else
            bytes.append(escaped[i]);
    }
    return bytes;
}

std::optional<QByteArray> CGdbPacket::FromHex(const QByteArray &hex)
{
    if (!IsHex(hex) || hex.size() % 2 != 0)
        return std::nullopt;
    return QByteArray::fromHex(hex);
}

std::optional<quint32> CGdbPacket::NumberFromHex(const QByteArray &hex)
{
    if (hex.isEmpty() || hex.size() > 8 || !IsHex(hex))
        return std::nullopt;
    return hex.toUInt(nullptr, 16);
}

QString CGdbPacket::Shown(QByteArrayView payload)
{
    QString text;
    for (const char byte : payload.first(std::min(payload.size(), kShownBytes))) {
        if (byte >= 0x20 && byte < 0x7F)
            text += QLatin1Char(byte);
        else
            text += QStringLiteral("\\x%1").arg(quint8(byte), 2, 16, QLatin1Char('0'));
    }
    if (payload.size() > kShownBytes)
        text += QStringLiteral("... (%1 bytes)").arg(payload.size());
    return text;
}
