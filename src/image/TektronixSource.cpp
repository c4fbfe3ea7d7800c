#include "TektronixSource.h"

#include "NibbleSum.h"

CTektronixSource::Next CTektronixSource::ParseRecord()
{
    while (!m_bEnded) {
        if (AtEndOfFile())
            break;
        if (!ReadMark('/', {}))
            return Next::Failed;
        quint8 header[4];
        if (!ReadHexBytes(4, header) || !CheckNibbleSum(header, 3, header[3]))
            return Next::Failed;
        const int length = header[2];
        if (length == 0) {
            m_bEnded = true;
            break;
        }
        quint8 checksum = 0;
        if (!ReadHexBytes(length, m_data.data()) || !ReadHexBytes(1, &checksum)
            || !CheckNibbleSum(m_data.data(), length, checksum))
            return Next::Failed;
        m_nAddress = quint32(header[0]) << 8 | header[1];
        m_nLength = length;
        return Next::Data;
    }
    return Next::End;
}

bool CTektronixSource::CheckNibbleSum(const quint8 *bytes, int count, quint8 checksum)
{
    const quint8 sum = quint8(NibbleSum(bytes, count));
    if (sum == checksum)
        return true;
    FailOnLine(QString::asprintf("The record's checksum is %02X; its digits add up to %02X.", unsigned(checksum),
                                 unsigned(sum)));
    return false;
}
