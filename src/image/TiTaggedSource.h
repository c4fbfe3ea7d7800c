#pragma once

#include "RecordBlockSource.h"

// TI-Tagged: tagged fields of a program header (K), a file header (0), a load
// address (9), 16-bit data words (B), data bytes (*), a checksum (7), an
// ignored checksum (8), end of record (F) and end of file (:). A checksum is
// the two's complement of the character codes since the record's start,
// through its own tag; line ends do not count.
class CTiTaggedSource : public CRecordBlockSource {
public:
    using CRecordBlockSource::CRecordBlockSource;

protected:
    Next ParseRecord() override;

private:
    enum class Field { More, RecordEnds, Failed };

    // Reads the field after `tag`, adding its characters to the sum.
    Field ReadField(int tag);
    // Reads `digits` hexadecimal digits (4 at most) as one value; -1 when it fails.
    qint32 ReadValue(int digits);
    // Skips `count` characters of text, adding them to the sum.
    bool SkipText(int count);
    bool AddBytes(int count);
    bool CheckSum();

    quint32 m_nNext = 0;   // address of the next byte
    unsigned m_nSum = 0;
};
