#pragma once

#include "ElfLayout.h"
#include "ImageBlockSource.h"

// A 32-bit ELF file of either byte order: the file bytes of its loadable
// segments at their physical addresses, in address order. The addresses are
// byte addresses, so a processor with wider address units is refused.
class CElfSource : public CImageBlockSource {
public:
    CElfSource(CBufferedInput &input, int bytesPerUnit, QIODevice &file);

protected:
    int ReadNext(quint32 &address, quint8 *buffer, int capacity) override;

private:
    // Reads the layout on the first call; false when the file cannot be used.
    bool Open();

    QIODevice &m_file;
    CElfLayout m_layout;
    std::vector<CElfLayout::Segment> m_segments;
    bool m_bOpened = false;
    size_t m_nSegment = 0;
    quint32 m_nDone = 0;   // bytes of the current segment delivered
};
