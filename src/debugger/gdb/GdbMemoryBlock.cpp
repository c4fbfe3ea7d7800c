#include "GdbMemoryBlock.h"

#include "debugger/AutomationError.h"

#include <QtEndian>

namespace {
constexpr qint32 kWordBytes = 4;
} // namespace

CGdbMemoryBlock::CGdbMemoryBlock(quint32 address, qint32 byteCount, bool bigEndian)
    : m_nAddress(address)
    , m_nByteCount(byteCount)
    , m_bBigEndian(bigEndian)
    , m_bytes(byteCount + kWordBytes - 1, '\0')
{
}

qint32 CGdbMemoryBlock::CheckedIndex(qint32 index, const char *call) const
{
    if (index < 0 || index >= m_nByteCount)
        throw CAutomationError(CAutomationError::kBadIndex, QString::fromLatin1(call));
    return index;
}

quint32 CGdbMemoryBlock::Element(qint32 index) const
{
    const char *word = m_bytes.constData() + CheckedIndex(index, "DspMemory.Element");
    return m_bBigEndian ? qFromBigEndian<quint32>(word) : qFromLittleEndian<quint32>(word);
}

void CGdbMemoryBlock::SetElement(qint32 index, quint32 value)
{
    char *word = m_bytes.data() + CheckedIndex(index, "DspMemory.SetElement");
    m_bBigEndian ? qToBigEndian(value, word) : qToLittleEndian(value, word);
}

void CGdbMemoryBlock::SetBytes(const QByteArray &bytes)
{
    m_bytes.replace(0, m_nByteCount, bytes.left(m_nByteCount));
}
