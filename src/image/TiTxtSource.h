#pragma once

#include "RecordBlockSource.h"

// TI-TXT: sections of an "@ADDR" line and lines of two-digit byte values
// between blanks, ended by "q".
class CTiTxtSource : public CRecordBlockSource {
public:
    using CRecordBlockSource::CRecordBlockSource;

protected:
    Next ParseRecord() override;

private:
    // Reads the digits after '@'; false when they are no address.
    bool ReadAddress();
    // Reads one byte value into the record; false when it is none.
    bool ReadByte();

    quint32 m_nNext = 0;   // address of the next byte
};
