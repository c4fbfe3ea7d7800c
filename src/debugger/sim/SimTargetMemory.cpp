#include "SimTargetMemory.h"

#include <QtEndian>

#include "debugger/Subfamily.h"

#include <algorithm>

CSimTargetMemory::CSimTargetMemory(const SubfamilyInfo &subfamily, bool bigEndian)
    : m_nAddressingUnit(subfamily.addressingUnit)
    , m_nWordBytes(subfamily.wordClass == SubfamilyInfo::WordClass::Bits32 ? 4 : 2)
    , m_bBigEndian(bigEndian)
    , m_ram(qsizetype(kRamBytes), '\0')
{
}

bool CSimTargetMemory::Contains(quint64 byteAddress, quint64 count) const
{
    return byteAddress >= kRamStart && count <= kRamBytes && byteAddress - kRamStart <= kRamBytes - count;
}

namespace {

// The part of [byteAddress, byteAddress + count) that lies in RAM: its offset in
// the range, its offset in RAM and its length (0 when none).
struct RamOverlap {
    qsizetype inRange = 0;
    qsizetype inRam = 0;
    qsizetype length = 0;
};

RamOverlap OverlapOf(quint64 byteAddress, qsizetype count)
{
    const quint64 first = std::max(byteAddress, CSimTargetMemory::kRamStart);
    const quint64 end = std::min(byteAddress + quint64(count), CSimTargetMemory::kRamStart + CSimTargetMemory::kRamBytes);
    if (count <= 0 || first >= end)
        return {};
    return {qsizetype(first - byteAddress), qsizetype(first - CSimTargetMemory::kRamStart), qsizetype(end - first)};
}

} // namespace

QByteArray CSimTargetMemory::Read(quint64 byteAddress, qsizetype count) const
{
    QByteArray bytes(std::max<qsizetype>(count, 0), '\0');
    const RamOverlap overlap = OverlapOf(byteAddress, count);
    std::copy_n(m_ram.constData() + overlap.inRam, overlap.length, bytes.data() + overlap.inRange);
    return bytes;
}

void CSimTargetMemory::Write(quint64 byteAddress, const QByteArray &bytes)
{
    const RamOverlap overlap = OverlapOf(byteAddress, bytes.size());
    std::copy_n(bytes.constData() + overlap.inRange, overlap.length, m_ram.data() + overlap.inRam);
}

quint32 CSimTargetMemory::DecodeWord(const char *bytes) const
{
    if (m_nWordBytes == 4)
        return m_bBigEndian ? qFromBigEndian<quint32>(bytes) : qFromLittleEndian<quint32>(bytes);
    quint32 value = 0;
    for (qint32 k = 0; k < m_nWordBytes; ++k) {
        const qint32 shift = 8 * (m_bBigEndian ? m_nWordBytes - 1 - k : k);
        value |= quint32(quint8(bytes[k])) << shift;
    }
    return value;
}

void CSimTargetMemory::EncodeWord(char *bytes, quint32 value) const
{
    if (m_nWordBytes == 4) {
        m_bBigEndian ? qToBigEndian<quint32>(value, bytes) : qToLittleEndian<quint32>(value, bytes);
        return;
    }
    for (qint32 k = 0; k < m_nWordBytes; ++k) {
        const qint32 shift = 8 * (m_bBigEndian ? m_nWordBytes - 1 - k : k);
        bytes[k] = char(quint8(value >> shift));
    }
}
