#pragma once

#include "debugger/DspMemory.h"

#include <QByteArray>

#include <memory>

class CSimTargetMemory;

// A block of simulated target memory: a copy of its bytes, taken when it is
// made and by ReadBlock, and stored back whole by WriteBlock.
class CSimMemoryBlock : public IDspMemory {
public:
    CSimMemoryBlock(std::shared_ptr<CSimTargetMemory> memory, quint64 byteStart, qint32 elementCount, quint32 page);

    quint32 Element(qint32 index) const override;
    void SetElement(qint32 index, quint32 value) override;

    // False when the block lies outside the memory.
    bool Load();
    bool Store() const;

private:
    qint32 ByteOffsetOf(qint32 index, const char *call) const;
    bool IsReachable() const;

    std::shared_ptr<CSimTargetMemory> m_pMemory;
    quint64 m_nByteStart;
    quint32 m_nPage;
    qint32 m_nBlockBytes;
    QByteArray m_bytes;   // the block and room for the last index's whole word
};
