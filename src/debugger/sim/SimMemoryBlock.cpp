#include "SimMemoryBlock.h"

#include "SimTargetMemory.h"
#include "debugger/AutomationError.h"

CSimMemoryBlock::CSimMemoryBlock(std::shared_ptr<CSimTargetMemory> memory, quint64 byteStart, qint32 elementCount,
                                 quint32 page)
    : m_pMemory(std::move(memory))
    , m_nByteStart(byteStart)
    , m_nPage(page)
    , m_nBlockBytes(elementCount * m_pMemory->ElementBytes())
{
    m_bytes = m_pMemory->Read(m_nByteStart, m_nBlockBytes + m_pMemory->WordBytes() - m_pMemory->ElementBytes());
}

qint32 CSimMemoryBlock::ByteOffsetOf(qint32 index, const char *call) const
{
    const qint32 offset = index * m_pMemory->ElementBytes();
    if (index < 0 || offset >= m_nBlockBytes)
        throw CAutomationError(CAutomationError::kBadIndex, QString::fromLatin1(call));
    return offset;
}

quint32 CSimMemoryBlock::Element(qint32 index) const
{
    return m_pMemory->DecodeWord(m_bytes.constData() + ByteOffsetOf(index, "DspMemory.Element"));
}

void CSimMemoryBlock::SetElement(qint32 index, quint32 value)
{
    m_pMemory->EncodeWord(m_bytes.data() + ByteOffsetOf(index, "DspMemory.SetElement"), value);
}

bool CSimMemoryBlock::IsReachable() const
{
    return m_nPage == CSimTargetMemory::kDataPage && m_pMemory->Contains(m_nByteStart, quint64(m_nBlockBytes));
}

bool CSimMemoryBlock::Load()
{
    if (!IsReachable())
        return false;
    m_bytes = m_pMemory->Read(m_nByteStart, m_bytes.size());
    return true;
}

bool CSimMemoryBlock::Store() const
{
    if (!IsReachable())
        return false;
    m_pMemory->Write(m_nByteStart, m_bytes.left(m_nBlockBytes));
    return true;
}
