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
        if (!ReadHexBytes(4, header) || !CheckDigitSum(header[3], NibbleSum(header, 3)))
            return Next::Failed;
        const int length = header[2];
        if (length == 0) {
            m_bEnded = true;
            break;
        }
        quint8 checksum = 0;
        if (!ReadHexBytes(length, m_data.data()) || !ReadHexBytes(1, &checksum)
            || !CheckDigitSum(checksum, NibbleSum(m_data.data(), length)))
            return Next::Failed;
        m_nAddress = quint32(header[0]) << 8 | header[1];
        m_nLength = length;
        return Next::Data;
    }
    return Next::End;
}
