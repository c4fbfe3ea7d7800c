#include "BlockDifference.h"

#include <cstring>

CBlockDifference::CBlockDifference(const QByteArray &image, const QByteArray &flash, quint32 firstAddress,
                                   int addressingUnit)
    : m_image(image)
    , m_flash(flash)
    , m_nFirstAddress(firstAddress)
    , m_nAddressingUnit(qMax(addressingUnit, 1))
{
    // Most blocks of a re-flash are equal: one memcmp settles them.
    const bool flashCoversImage = m_flash.size() >= m_image.size();
    if (flashCoversImage && std::memcmp(m_image.constData(), m_flash.constData(), size_t(m_image.size())) == 0) {
        m_bOnlyErasable = false;
        return;
    }
    for (qsizetype i = 0; i < m_image.size(); ++i) {
        const quint8 wanted = quint8(m_image.at(i));
        const quint8 held = FlashByte(i);
        if (wanted == held)
            continue;
        if (m_nFirstDiffering < 0)
            m_nFirstDiffering = i;
        ++m_nDiffering;
        if ((wanted & ~held) != 0 && m_nFirstErase < 0)
            m_nFirstErase = i;
        if ((held & ~wanted) != 0)
            m_bOnlyErasable = false;
    }
    m_bOnlyErasable = m_bOnlyErasable && m_nDiffering > 0;
}

quint8 CBlockDifference::FlashByte(qsizetype index) const
{
    return index < m_flash.size() ? quint8(m_flash.at(index)) : quint8(0xFF);
}

quint32 CBlockDifference::AddressOf(qsizetype index) const
{
    return m_nFirstAddress + quint32(index / m_nAddressingUnit);
}

QString CBlockDifference::DifferenceLines() const
{
    if (IsEqual())
        return {};
    const qsizetype i = m_nFirstDiffering;
    return QString::asprintf("First difference at 0x%X: the image has 0x%02X, the flash holds 0x%02X.\r\n"
                             "%lld of %lld bytes of the block differ.\r\n",
                             AddressOf(i), unsigned(quint8(m_image[i])), unsigned(FlashByte(i)),
                             qint64(m_nDiffering), qint64(m_image.size()));
}

QString CBlockDifference::EraseLine() const
{
    if (!NeedsErase())
        return {};
    const qsizetype i = m_nFirstErase;
    return QString::asprintf("Flash at 0x%X needs erasing: it holds 0x%02X where the image has 0x%02X.\r\n",
                             AddressOf(i), unsigned(FlashByte(i)),
                             unsigned(quint8(m_image[i])));
}
