#include "CommChecksum.h"

// Adding a byte and then carrying a result of 0x10000 or more back into bit 0
// keeps the accumulator congruent to the plain sum modulo 0xFFFF, in the range
// 1 to 0xFFFF once it is non-zero. Folding the plain sum gives the same value,
// so the bytes are summed first (which vectorises) and folded once.
void CommChecksum::Add(const quint8 *bytes, qsizetype count)
{
    quint64 sum = m_accumulator;
    for (qsizetype i = 0; i < count; ++i)
        sum += bytes[i];
    while (sum > 0xFFFF)
        sum = (sum & 0xFFFF) + (sum >> 16);
    m_accumulator = quint32(sum);
}
