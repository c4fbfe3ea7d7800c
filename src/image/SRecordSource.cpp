#include "SRecordSource.h"

#include "image/HexDigit.h"

#include <algorithm>
#include <cstring>

int CSRecordSource::ReadNext(quint32 &address, quint8 *buffer, int capacity)
{
    if (!HasPendingBytes() && ParseRecord() != Next::Data)
        return -1;
    address = PendingAddress();
    int count = TakeRecordBytes(buffer, capacity);
    quint32 expected = address + quint32(count / m_nBytesPerUnit);
    while (count < capacity && !HasPendingBytes()) {
        if (ParseRecord() != Next::Data || m_nAddress != expected)
            break;
        const int taken = TakeRecordBytes(buffer + count, capacity - count);
        if (taken == 0)
            break;
        count += taken;
        expected += quint32(taken / m_nBytesPerUnit);
    }
    return count;
}

int CSRecordSource::TakeRecordBytes(quint8 *destination, int room)
{
    const int pending = m_nLength - m_nTaken;
    int count = std::min(pending, room);
    if (count < pending)
        count -= count % m_nBytesPerUnit;
    std::memcpy(destination, m_data.data() + m_nTaken, size_t(count));
    m_nTaken += count;
    return count;
}

CSRecordSource::Next CSRecordSource::ParseRecord()
{
    m_nLength = m_nTaken = 0;
    while (!m_bEnded) {
        int c;
        do
            c = m_input.Get();
        while (c >= 0 && c != 'S');
        if (c < 0)
            return Next::End;
        const int type = m_input.Get();
        switch (type) {
        case '0':
            continue;
        case '1':
        case '2':
        case '3':
            if (!ParseRecordBody(type - '1' + 2))
                return Next::Failed;
            ++m_nDataRecords;
            if (m_nLength > 0)
                return Next::Data;
            continue;
        case '5':
        case '6':
            if (!ParseRecordBody(type - '5' + 2) || !CheckCount(type))
                return Next::Failed;
            m_nLength = 0;
            continue;
        case '7':
        case '8':
        case '9':
            m_bEnded = true;
            break;
        case -1:
            FailCutOff();
            return Next::Failed;
        default:
            Fail(QStringLiteral("Hex File Error: I don't understand the S%1 record yet.").arg(QChar(type)));
            return Next::Failed;
        }
    }
    return Next::End;
}

bool CSRecordSource::ParseRecordBody(int addressBytes)
{
    quint8 count = 0;
    if (!ReadHexByte(count))
        return false;
    unsigned sum = count;
    m_nAddress = 0;
    for (int i = 0; i < addressBytes; ++i) {
        quint8 byte = 0;
        if (!ReadHexByte(byte))
            return false;
        m_nAddress = (m_nAddress << 8) | byte;
        sum += byte;
    }
    for (int remaining = count - addressBytes; remaining > 1; --remaining) {
        quint8 byte = 0;
        if (!ReadHexByte(byte))
            return false;
        m_data[size_t(m_nLength++)] = byte;
        sum += byte;
    }
    quint8 checksum = 0;
    if (!ReadHexByte(checksum))
        return false;
    if (checksum != quint8(~sum)) {
        Fail(QString::asprintf("Hex File Error: Invalid cksum mine/flash %4x  %4x", sum & 0xFF, unsigned(checksum)));
        return false;
    }
    return true;
}

void CSRecordSource::FailCutOff()
{
    Fail(QStringLiteral("Hex File Error: S-record cut off by the end of the file."));
}

bool CSRecordSource::CheckCount(int type)
{
    const quint32 mask = type == '5' ? 0xFFFF : 0xFFFFFF;
    if (m_nAddress == (m_nDataRecords & mask))
        return true;
    Fail(QStringLiteral("Hex File Error: The S%1 record counts %2 data records, but the file has %3.")
             .arg(QChar(type))
             .arg(m_nAddress)
             .arg(m_nDataRecords));
    return false;
}

bool CSRecordSource::ReadHexByte(quint8 &value)
{
    const int first = m_input.Get();
    const int second = m_input.Get();
    if (second < 0) {
        FailCutOff();
        return false;
    }
    const int high = HexDigit::Value(first);
    const int low = HexDigit::Value(second);
    if ((high | low) < 0) {
        FailInvalidDigit();
        return false;
    }
    value = quint8((high << 4) | low);
    return true;
}
