#pragma once

#include <QtGlobal>

// The program-wide number of data bytes one message may carry. It is kept as a
// count of 16-bit words, so it is always even; 0 until the handshake sets it.
quint16 MaxDataBytes();
// Sets MaxDataBytes to twice `words`, no more than a message's data area holds.
void SetMaxDataWords(quint16 words);

// The data size in bytes to use for a target that reports `bufferSize`: the
// even value no larger than the report and the data area. Chunk sizes and
// MaxDataBytes both come from it, so they agree.
quint16 UsableBufferSize(quint32 bufferSize);
