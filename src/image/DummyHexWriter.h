#pragma once

#include <QString>

// Writes a dummy Motorola S-record image: S0 header, S3 records of up to 16
// bytes counting 0x00, 0x01, ... from each record's start, and an S7 end record.
// `mau` is the number of bytes per target address unit (1 to 4). The file
// replaces `fileName` once it is whole (CReplacingFile), never written through
// a link there. Returns the failure's text, empty when the whole file was written.
QString WriteDummyHex(const QString &fileName, quint32 startAddress, quint32 dataLength, quint32 mau);
