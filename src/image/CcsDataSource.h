#pragma once

#include "ImageBlockSource.h"

#include <QByteArray>

// Code Composer saved data in hexadecimal form: a header line after the
// "1651" mark, then one number per item, each stored as one target word in
// the target's byte order. Data is numbered from address 0.
class CCcsDataSource : public CImageBlockSource {
public:
    CCcsDataSource(CBufferedInput &input, int bytesPerUnit, int subfamily, bool bigEndian);

    // Reads the rest of the header line after "1651". False when the file is
    // not usable: a format other than hexadecimal (shown) or no line end (silent).
    bool ReadHeader();

protected:
    int MinimumCapacity() const override;
    int ReadNext(quint32 &address, quint8 *buffer, int capacity) override;

private:
    // Reads one item into m_item; returns the character that ended it, -1 at
    // the end of the file, -2 for an item too long to be a number.
    int ReadItem();
    void StoreWord(quint32 value, quint8 *destination) const;

    const int m_nWordBytes;
    const bool m_bBigEndian;
    QByteArray m_item;
    quint32 m_nHeaderFormat = 0;
};
