#pragma once

#include "RecordBlockSource.h"

// Motorola S-records: S1, S2 and S3 data records merged into blocks of
// consecutive addresses, S0 headers skipped, S5/S6 counts checked, S7/S8/S9
// ending the image.
class CSRecordSource : public CRecordBlockSource {
public:
    using CRecordBlockSource::CRecordBlockSource;

protected:
    Next ParseRecord() override;

private:
    // Reads count, address of `addressBytes` bytes, data and checksum after "S<type>".
    bool ParseRecordBody(int addressBytes);
    void FailCutOff();
    bool CheckCount(int type);
    // Decodes `count` bytes of two hexadecimal digits each; `text` is null when the file ended.
    bool DecodeHexBytes(const quint8 *text, int count, quint8 *bytes);
    quint32 m_nDataRecords = 0;
    bool m_bEnded = false;
};
