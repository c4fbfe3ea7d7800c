#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// How the flash bytes read back at a block differ from the block's bytes
// (the image), and the log lines that say so. NOR flash programming can only
// clear bits: a byte that holds a 0 where the image has a 1 needs an erase.
class CBlockDifference {
public:
    // `firstAddress`: the target address of the block's first byte; `addressingUnit`: bytes per address unit.
    CBlockDifference(const QByteArray &image, const QByteArray &flash, quint32 firstAddress, int addressingUnit);

    bool IsEqual() const { return m_nDiffering == 0; }
    // Some bit would have to go from 0 to 1.
    bool NeedsErase() const { return m_nFirstErase >= 0; }
    // Every differing bit would have to go from 0 to 1.
    bool OnlyErasable() const { return m_bOnlyErasable; }

    // The first differing address with its bytes, and how many bytes differ.
    QString DifferenceLines() const;
    // "Flash at 0x... needs erasing: ..." for the first byte that needs a bit set.
    QString EraseLine() const;

private:
    quint32 AddressOf(qsizetype index) const;
    // The flash byte read back; a short read counts as erased.
    quint8 FlashByte(qsizetype index) const;

    QByteArray m_image;
    QByteArray m_flash;
    quint32 m_nFirstAddress = 0;
    int m_nAddressingUnit = 1;
    qsizetype m_nFirstDiffering = -1;
    qsizetype m_nFirstErase = -1;
    qsizetype m_nDiffering = 0;
    bool m_bOnlyErasable = true;
};
