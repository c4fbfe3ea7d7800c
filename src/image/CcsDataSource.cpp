#include "CcsDataSource.h"

#include "config/NumberParsing.h"

#include <algorithm>

namespace {

constexpr int kItemTooLong = -2;
constexpr qsizetype kMaxItemLength = 64;

bool HasThirtyTwoBitWords(int subfamily)
{
    switch (subfamily) {
    case 1:
    case 2:
    case 0x62:
    case 0x64:
    case 0x67:
        return true;
    default:
        return false;
    }
}

bool IsItemEnd(int c)
{
    return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n';
}

bool IsLineEnd(int c)
{
    return c == '\r' || c == '\n';
}

quint32 ItemValue(const QByteArray &item)
{
    return ParseUnsigned(QString::fromLatin1(item));
}

} // namespace

CCcsDataSource::CCcsDataSource(CBufferedInput &input, int bytesPerUnit, int subfamily, bool bigEndian)
    : CImageBlockSource(input, bytesPerUnit)
    , m_nWordBytes(HasThirtyTwoBitWords(subfamily) ? 4 : 2)
    , m_bBigEndian(bigEndian)
{
}

bool CCcsDataSource::ReadHeader()
{
    int index = 0;
    int end = 0;
    while (!IsLineEnd(end)) {
        end = ReadItem();
        if (end < 0)
            return false;
        if (m_item.isEmpty())
            continue;
        // The header's address and page do not place the data; only its format counts.
        if (index == 0)
            m_nHeaderFormat = ItemValue(m_item);
        ++index;
    }
    if (m_nHeaderFormat == 1)
        return true;
    Fail(QStringLiteral("Corvane can only read CCS Saved Data in Hex Format.\r\nPlease re-format the data."));
    return false;
}

int CCcsDataSource::MinimumCapacity() const
{
    return std::max(m_nWordBytes, m_nBytesPerUnit);
}

int CCcsDataSource::ReadNext(quint32 &address, quint8 *buffer, int capacity)
{
    address = m_nCurrentAddress;
    int count = 0;
    int end = 0;
    while (count + m_nWordBytes <= capacity && end >= 0) {
        end = ReadItem();
        if (end == kItemTooLong) {
            Fail(QStringLiteral("Hex File Error: CCS data item too long."));
            break;
        }
        if (m_item.isEmpty())
            continue;
        StoreWord(ItemValue(m_item), buffer + count);
        count += m_nWordBytes;
    }
    return count == 0 && end < 0 ? -1 : DeliverBlock(count);
}

int CCcsDataSource::ReadItem()
{
    m_item.clear();
    for (;;) {
        const int c = m_input.Get();
        if (c < 0 || IsItemEnd(c))
            return c;
        if (m_item.size() == kMaxItemLength)
            return kItemTooLong;
        m_item.append(char(c));
    }
}

void CCcsDataSource::StoreWord(quint32 value, quint8 *destination) const
{
    for (int i = 0; i < m_nWordBytes; ++i) {
        const int shift = 8 * (m_bBigEndian ? m_nWordBytes - 1 - i : i);
        destination[i] = quint8(value >> shift);
    }
}
