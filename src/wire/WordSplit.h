#pragma once

#include <QtGlobal>

// A 32-bit value travels as two 16-bit parameter words, the high half first.
constexpr quint16 HighWord(quint32 value)
{
    return quint16(value >> 16);
}

constexpr quint16 LowWord(quint32 value)
{
    return quint16(value & 0xFFFF);
}

constexpr quint32 JoinWords(quint16 high, quint16 low)
{
    return (quint32(high) << 16) | low;
}
