#include "CommChecksum.h"

void CommChecksum::Add(const quint8 *bytes, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        m_accumulator += bytes[i];
        if (m_accumulator >= 0x10000)
            m_accumulator = (m_accumulator + 1) & 0xFFFF;
    }
}
