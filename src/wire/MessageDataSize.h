#pragma once

#include <QtGlobal>

// Data bytes one message carries for a target component that announced
// `words` 16-bit words: twice the count, no more than a message's data area.
quint16 DataBytesOfWords(quint16 words);

// The data size in bytes to use for a target that reports `bufferSize`: the
// even value no larger than the report and the data area.
quint16 UsableBufferSize(quint32 bufferSize);
