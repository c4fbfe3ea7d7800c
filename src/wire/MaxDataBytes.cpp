#include "MaxDataBytes.h"

#include "CommMessage.h"

namespace {

quint16 maxDataWords = 0;

} // namespace

quint16 MaxDataBytes()
{
    return quint16(maxDataWords * 2);
}

void SetMaxDataWords(quint16 words)
{
    maxDataWords = qMin<quint16>(words, CommMessage::kDataCapacity / 2);
}

quint16 UsableBufferSize(quint32 bufferSize)
{
    return quint16(qMin<quint32>(bufferSize, CommMessage::kDataCapacity) & ~1u);
}
