#include "MessageDataSize.h"

#include "CommMessage.h"

quint16 DataBytesOfWords(quint16 words)
{
    return quint16(qMin<quint32>(words, CommMessage::kDataCapacity / 2) * 2);
}

quint16 UsableBufferSize(quint32 bufferSize)
{
    return quint16(qMin<quint32>(bufferSize, CommMessage::kDataCapacity) & ~1u);
}
