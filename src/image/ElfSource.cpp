#include "ElfSource.h"

#include <algorithm>

CElfSource::CElfSource(CBufferedInput &input, int bytesPerUnit, QIODevice &file)
    : CImageBlockSource(input, bytesPerUnit)
    , m_file(file)
{
}

bool CElfSource::Open()
{
    m_bOpened = true;
    if (m_nBytesPerUnit != 1) {
        FailAt(QStringLiteral("An ELF file gives byte addresses, and this processor counts addresses in units of %1 "
                              "bytes.")
                   .arg(m_nBytesPerUnit),
               {});
        return false;
    }
    if (!m_layout.ReadHeader(m_file) || !m_layout.ReadSegments(m_file)) {
        FailAt(QStringLiteral("The ELF file cannot be read: %1.").arg(m_layout.Reason()), {});
        return false;
    }
    for (const CElfLayout::Segment &segment : m_layout.LoadSegments())
        if (segment.fileBytes > 0)
            m_segments.push_back(segment);
    std::stable_sort(m_segments.begin(), m_segments.end(),
                     [](const auto &a, const auto &b) { return a.address < b.address; });
    return true;
}

int CElfSource::ReadNext(quint32 &address, quint8 *buffer, int capacity)
{
    if (!m_bOpened && !Open())
        return -1;
    if (m_nSegment == m_segments.size())
        return -1;
    const CElfLayout::Segment &segment = m_segments[m_nSegment];
    if (m_nDone == 0 && !m_input.Seek(segment.offset)) {
        FailAt(QStringLiteral("Segment %1 cannot be read.").arg(segment.index), {});
        return -1;
    }
    const int count = int(std::min<quint32>(quint32(capacity), segment.fileBytes - m_nDone));
    if (m_input.Read(buffer, count) != count) {
        FailAt(QStringLiteral("The file ends inside segment %1.").arg(segment.index),
               QStringLiteral("offset 0x%1").arg(segment.offset + m_nDone, 0, 16));
        return -1;
    }
    address = segment.address + m_nDone;
    m_nDone += quint32(count);
    if (m_nDone == segment.fileBytes) {
        ++m_nSegment;
        m_nDone = 0;
    }
    return count;
}
