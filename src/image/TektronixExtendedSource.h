#pragma once

#include "RecordBlockSource.h"

// Extended Tektronix hex: "%" records of their length in characters, a type
// (6 data, 8 termination, 3 symbols, skipped), the nibble sum of the other
// characters, an address of one to eight digits after its own length digit,
// and the data. The end of the file ends the image as a termination does.
class CTektronixExtendedSource : public CRecordBlockSource {
public:
    using CRecordBlockSource::CRecordBlockSource;

protected:
    Next ParseRecord() override;

private:
    // Reads the record's `count` characters after its length; false when it fails.
    bool ReadRecord(int length);
    // Checks the digits' layout and sum, and takes a data record's address and bytes.
    bool TakeRecord(const quint8 *text, int count, int length);

};
