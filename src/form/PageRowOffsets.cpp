#include "PageRowOffsets.h"

#include <algorithm>

QList<quint32> PageRowOffsets(quint32 pageStart, int addressingUnit)
{
    constexpr int kRows = 16;
    constexpr int kRowBytes = 16;
    const int unit = std::max(addressingUnit, 1);
    QList<quint32> offsets;
    for (int row = 0; row < kRows; ++row)
        offsets.append(pageStart + quint32(kRowBytes * row / unit));
    return offsets;
}
