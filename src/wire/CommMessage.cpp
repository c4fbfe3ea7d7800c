#include "CommMessage.h"

#include "WordSplit.h"

#include <algorithm>
#include <cstring>

CommMessage::CommMessage()
    : m_bytes(kBlockBytes, 0)
{
}

void CommMessage::SetWord(int offset, quint16 value)
{
    m_bytes[offset] = quint8(value >> 8);
    m_bytes[offset + 1] = quint8(value & 0xFF);
}

quint16 CommMessage::Word(int offset) const
{
    return quint16((m_bytes[offset] << 8) | m_bytes[offset + 1]);
}

void CommMessage::SetCommandWord(quint16 word)
{
    SetWord(0, word);
}

quint16 CommMessage::Command() const
{
    return Word(0);
}

void CommMessage::SetParam(int index, quint32 value)
{
    if (index >= 0 && index < kParamWords)
        SetWord(2 + 2 * index, quint16(value & 0xFFFF));
}

void CommMessage::SetParams(std::initializer_list<quint32> values)
{
    int index = 0;
    for (quint32 value : values)
        SetParam(index++, value);
}

quint16 CommMessage::Param(int index) const
{
    return index >= 0 && index < kParamWords ? Word(2 + 2 * index) : 0;
}

void CommMessage::SetParam32(int firstIndex, quint32 value)
{
    SetParam(firstIndex, HighWord(value));
    SetParam(firstIndex + 1, LowWord(value));
}

quint32 CommMessage::Param32(int firstIndex) const
{
    return JoinWords(Param(firstIndex), Param(firstIndex + 1));
}

void CommMessage::SetData(const quint8 *source, qsizetype count, quint16 limit)
{
    const int length = int(std::clamp<qsizetype>(count, 0, qMin<int>(limit, kDataCapacity)));
    if (length > 0)
        std::memcpy(Data(), source, size_t(length));
    m_dataLength = quint16(length);
}

quint8 CommMessage::DataByte(int index) const
{
    return index >= 0 && index < kDataCapacity ? Data()[index] : 0;
}

void CommMessage::SetDataLength(int length)
{
    m_dataLength = quint16(std::clamp(length, 0, kDataCapacity));
}

void CommMessage::SetAddressList(const QList<quint32> &addresses)
{
    const int count = int(std::min<qsizetype>(addresses.size(), kDataCapacity / kAddressBytes));
    for (int i = 0; i < count; ++i) {
        SetWord(kHeaderBytes + kAddressBytes * i, HighWord(addresses[i]));
        SetWord(kHeaderBytes + kAddressBytes * i + 2, LowWord(addresses[i]));
    }
    SetDataLength(count * kAddressBytes);
}

QList<quint32> CommMessage::AddressList(int count) const
{
    QList<quint32> addresses;
    count = std::clamp(count, 0, kDataCapacity / kAddressBytes);
    for (int i = 0; i < count; ++i) {
        const int offset = kHeaderBytes + kAddressBytes * i;
        addresses.append(JoinWords(Word(offset), Word(offset + 2)));
    }
    return addresses;
}
