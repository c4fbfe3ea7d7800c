#pragma once

#include "debugger/DspMemory.h"

#include <QByteArray>

// A block of target memory reached through a GDB server: a copy of its bytes,
// filled by ReadBlock and stored whole by WriteBlock. An index is a byte
// offset; an element is the 32-bit word there in the target's byte order.
class CGdbMemoryBlock : public IDspMemory {
public:
    CGdbMemoryBlock(quint32 address, qint32 byteCount, bool bigEndian);

    quint32 Element(qint32 index) const override;
    void SetElement(qint32 index, quint32 value) override;

    quint32 Address() const { return m_nAddress; }
    qint32 ByteCount() const { return m_nByteCount; }
    QByteArray Bytes() const { return m_bytes.left(m_nByteCount); }
    void SetBytes(const QByteArray &bytes);

private:
    qint32 CheckedIndex(qint32 index, const char *call) const;

    quint32 m_nAddress;
    qint32 m_nByteCount;
    bool m_bBigEndian;
    QByteArray m_bytes;   // the block and room for the last index's whole word
};
