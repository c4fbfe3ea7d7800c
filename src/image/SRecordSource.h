#pragma once

#include "ImageBlockSource.h"

#include <array>

// Motorola S-records: S1, S2 and S3 data records merged into blocks of
// consecutive addresses, S0 headers skipped, S5/S6 counts checked, S7/S8/S9
// ending the image. A record that does not fit into the block's room is
// carried over to the next block.
class CSRecordSource : public CImageBlockSource {
public:
    using CImageBlockSource::CImageBlockSource;

protected:
    int ReadNext(quint32 &address, quint8 *buffer, int capacity) override;

private:
    enum class Next { Data, End, Failed };

    // The next data record with at least one byte, into m_record.
    Next ParseRecord();
    // Reads count, address of `addressBytes` bytes, data and checksum after "S<type>".
    bool ParseRecordBody(int addressBytes);
    void FailCutOff();
    bool CheckCount(int type);
    // Decodes `count` bytes of two hexadecimal digits each that follow `skipped`
    // characters of the record's text; fails with the reason when they cannot be read.
    bool DecodeRecordText(int skipped, int count, quint8 *bytes);
    // The record's next `length` characters are no hexadecimal digits to its
    // end: fails for the first that is not, a line end, or the end of the file.
    void FailRecordText(int length);
    static bool DecodeHexBytes(const quint8 *text, int count, quint8 *bytes);
    // Moves as many pending record bytes as fit into `room`, whole address units when split.
    int TakeRecordBytes(quint8 *destination, int room);
    bool HasPendingBytes() const { return m_nTaken < m_nLength; }
    quint32 PendingAddress() const { return m_nAddress + quint32(m_nTaken / m_nBytesPerUnit); }

    std::array<quint8, 256> m_data{};
    quint32 m_nAddress = 0;
    int m_nLength = 0;
    int m_nTaken = 0;
    quint32 m_nDataRecords = 0;
    bool m_bEnded = false;
};
