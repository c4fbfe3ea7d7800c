#include "RecordBlockSource.h"

#include "HexDigit.h"

#include <algorithm>
#include <cstring>

int CRecordBlockSource::ReadNext(quint32 &address, quint8 *buffer, int capacity)
{
    if (!HasPendingBytes() && NextRecord() != Next::Data)
        return -1;
    address = PendingAddress();
    int count = TakeRecordBytes(buffer, capacity);
    quint32 expected = address + quint32(count / m_nBytesPerUnit);
    while (count < capacity && !HasPendingBytes()) {
        // A block never runs on past the end of the address space.
        if (expected < address || NextRecord() != Next::Data || m_nAddress != expected)
            break;
        const int taken = TakeRecordBytes(buffer + count, capacity - count);
        if (taken == 0)
            break;
        count += taken;
        expected += quint32(taken / m_nBytesPerUnit);
    }
    return count;
}

CRecordBlockSource::Next CRecordBlockSource::NextRecord()
{
    m_nLength = m_nTaken = 0;
    return ParseRecord();
}

int CRecordBlockSource::TakeRecordBytes(quint8 *destination, int room)
{
    const int pending = m_nLength - m_nTaken;
    int count = std::min(pending, room);
    if (count < pending)
        count -= count % m_nBytesPerUnit;
    std::memcpy(destination, m_data.data() + m_nTaken, size_t(count));
    m_nTaken += count;
    return count;
}

void CRecordBlockSource::SkipSpace()
{
    while (IsBlank(PeekByte()))
        m_input.Skip(1);
}

int CRecordBlockSource::PeekByte()
{
    const quint8 *next = m_input.Peek(1);
    return next ? *next : -1;
}

bool CRecordBlockSource::ReadMark(char mark, const QString &missingEnd)
{
    SkipSpace();
    const int c = m_input.Get();
    if (c == mark)
        return true;
    FailOnLine(c < 0 ? missingEnd : QStringLiteral("A record must start with '%1', not '%2'.").arg(QChar(mark), QChar(c)));
    return false;
}

bool CRecordBlockSource::AtEndOfFile()
{
    SkipSpace();
    return PeekByte() < 0;
}

bool CRecordBlockSource::ReadHexBytes(int count, quint8 *bytes)
{
    const quint8 *text = m_input.Peek(2 * count);
    if (text == nullptr) {
        FailOnLine(QStringLiteral("The record is cut off by the end of the file."));
        return false;
    }
    if (!HexDigit::DecodePairs(text, count, bytes)) {
        FailOnLine(QStringLiteral("Invalid hex character seen."));
        return false;
    }
    m_input.Skip(2 * count);
    return true;
}

bool CRecordBlockSource::CheckDigitSum(unsigned checksum, unsigned sum)
{
    if ((sum & 0xFF) == checksum)
        return true;
    FailOnLine(QString::asprintf("The record's checksum is %02X; its digits add up to %02X.", checksum, sum & 0xFF));
    return false;
}
