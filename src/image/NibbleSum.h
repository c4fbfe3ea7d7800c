#pragma once

#include <QtGlobal>

// The sum of the 4-bit halves of `count` bytes, as Tektronix checksums count them.
inline unsigned NibbleSum(const quint8 *bytes, int count)
{
    unsigned sum = 0;
    for (int i = 0; i < count; ++i)
        sum += unsigned(bytes[i] >> 4) + unsigned(bytes[i] & 0x0F);
    return sum;
}
