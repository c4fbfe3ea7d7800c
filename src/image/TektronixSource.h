#pragma once

#include "RecordBlockSource.h"

// Tektronix hex: "/" records of a 16-bit address, a byte count, the nibble
// sum of those six digits, the data and the nibble sum of the data. A record
// with a count of zero, or the end of the file, ends the image.
class CTektronixSource : public CRecordBlockSource {
public:
    using CRecordBlockSource::CRecordBlockSource;

protected:
    Next ParseRecord() override;

};
