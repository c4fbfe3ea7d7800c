#pragma once

#include "RecordBlockSource.h"

// Intel HEX: ":" records of data (00), end of file (01), extended segment
// address (02), start segment (03), extended linear address (04) and start
// linear address (05), each with its checksum. Under a segment address the
// offsets wrap within the 64 KiB segment; under a linear address they run on
// and wrap at 4 GiB.
class CIntelHexSource : public CRecordBlockSource {
public:
    using CRecordBlockSource::CRecordBlockSource;

protected:
    Next ParseRecord() override;

private:
    // Reads the record after ':' into `bytes` (count, address, type, data and checksum) and checks its sum.
    bool ReadRecord(quint8 *bytes);
    // Handles a record other than data; false when it fails.
    bool TakeControlRecord(int type, const quint8 *data, int length);
    // Sets m_data from a data record, keeping the bytes after a wrap for the next record.
    void TakeData(quint16 offset, const quint8 *data, int length);

    quint32 m_nBase = 0;
    bool m_bSegmented = false;
    std::array<quint8, kRecordBytes> m_wrapped{};
    int m_nWrapped = 0;
    quint32 m_nWrappedAddress = 0;
};
