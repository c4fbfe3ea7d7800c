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
    // Decodes `count` bytes of two hexadecimal digits each that follow `skipped`
    // characters of the record's text; fails with the reason when they cannot be read.
    bool DecodeRecordText(int skipped, int count, quint8 *bytes);
    // The record's next `length` characters are no hexadecimal digits to its
    // end: fails for the first that is not, a line end, or the end of the file.
    void FailRecordText(int length);

    quint32 m_nDataRecords = 0;
};
