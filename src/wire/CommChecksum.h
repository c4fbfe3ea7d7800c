#pragma once

#include <QtGlobal>

// 16-bit sum of bytes with end-around carry, as the target component computes
// it over a flash range for GetChecksum.
class CommChecksum {
public:
    explicit CommChecksum(quint16 seed = 0) { Reset(seed); }

    void Reset(quint16 seed) { m_accumulator = seed; }
    // Adds `count` bytes in order; a count below 1 adds nothing.
    void Add(const quint8 *bytes, qsizetype count);
    quint16 Value() const { return quint16(m_accumulator & 0xFFFF); }

private:
    quint32 m_accumulator = 0;
};
