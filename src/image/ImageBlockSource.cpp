#include "ImageBlockSource.h"

#include <algorithm>

CImageBlockSource::CImageBlockSource(CBufferedInput &input, int bytesPerUnit)
    : m_input(input)
    , m_nBytesPerUnit(std::max(bytesPerUnit, 1))
{
}

int CImageBlockSource::ReadBlock(quint32 &address, quint8 *buffer, int capacity)
{
    if (m_bFailed)
        return -1;
    if (capacity < MinimumCapacity()) {
        m_bFailed = true;
        return -1;
    }
    // Full blocks end on a unit boundary so that the next block's address is exact.
    const int result = ReadNext(address, buffer, capacity - capacity % m_nBytesPerUnit);
    if (m_input.HasReadError() && !m_bFailed)
        Fail(QStringLiteral("Hex File Error: Cannot read the file."));
    return m_bFailed && result <= 0 ? -1 : result;
}

void CImageBlockSource::Fail(const QString &message)
{
    if (!m_bFailed)
        Record(message, QStringLiteral("line %1").arg(m_input.LineNumber()));
}

void CImageBlockSource::FailOnLine(const QString &reason)
{
    Fail(QStringLiteral("Hex File Error: ") + reason);
}

void CImageBlockSource::FailAt(const QString &reason, const QString &place)
{
    if (!m_bFailed)
        Record(QStringLiteral("Hex File Error: ") + reason, place);
}

void CImageBlockSource::Record(const QString &message, const QString &place)
{
    m_bFailed = true;
    m_strError = message;
    m_strErrorPlace = place;
}

void CImageBlockSource::FailInvalidDigit()
{
    Fail(QStringLiteral("Hex File Error: Invalid hex character seen.Please review the hex file for errors."));
}

int CImageBlockSource::DeliverBlock(int count)
{
    if (count > 0)
        m_nCurrentAddress += quint32(count / m_nBytesPerUnit);
    return count;
}
