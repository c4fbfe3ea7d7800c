#include "BinarySource.h"

int CBinarySource::ReadNext(quint32 &address, quint8 *buffer, int capacity)
{
    address = m_nCurrentAddress;
    const int count = int(m_input.Read(buffer, capacity));
    if (count > 0 && quint64(address) + quint64(count / m_nBytesPerUnit) > (quint64(1) << 32)) {
        FailAt(QStringLiteral("The file runs past the end of the address space."),
               QStringLiteral("offset 0x%1").arg(m_input.Position() - count, 0, 16));
        return -1;
    }
    return count > 0 ? DeliverBlock(count) : -1;
}
