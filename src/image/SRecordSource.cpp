#include "SRecordSource.h"

#include "HexDigit.h"

#include <algorithm>
#include <array>

CSRecordSource::Next CSRecordSource::ParseRecord()
{
    while (!m_bEnded) {
        if (!m_input.SkipPast('S'))
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
    if (!DecodeRecordText(0, 1, &count))
        return false;
    // Address and checksum are read even when the count leaves no room for them.
    const int length = std::max<int>(count, addressBytes + 1);
    std::array<quint8, 256> bytes;
    if (!DecodeRecordText(2, length, bytes.data()))
        return false;
    m_input.Skip(2 + 2 * length);

    unsigned sum = count;
    m_nAddress = 0;
    for (int i = 0; i < addressBytes; ++i) {
        m_nAddress = (m_nAddress << 8) | bytes[size_t(i)];
        sum += bytes[size_t(i)];
    }
    m_nLength = length - addressBytes - 1;
    for (int i = 0; i < m_nLength; ++i)
        sum += (m_data[size_t(i)] = bytes[size_t(addressBytes + i)]);
    const quint8 checksum = bytes[size_t(length - 1)];
    if (checksum != quint8(~sum)) {
        m_nLength = 0;
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

bool CSRecordSource::DecodeRecordText(int skipped, int count, quint8 *bytes)
{
    const int length = skipped + 2 * count;
    const quint8 *text = m_input.Peek(length);
    if (text && HexDigit::DecodePairs(text + skipped, count, bytes))
        return true;
    FailRecordText(length);
    return false;
}

void CSRecordSource::FailRecordText(int length)
{
    qsizetype available = 0;
    const quint8 *text = m_input.PeekUpTo(length, available);
    for (qsizetype i = 0; i < available; ++i) {
        if (HexDigit::Value(text[i]) >= 0)
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            Fail(QStringLiteral("Hex File Error: The S-record ends after %1 of the %2 digits its byte count asks for.")
                     .arg(i)
                     .arg(length));
        else
            FailInvalidDigit();
        return;
    }
    FailCutOff();
}
