#include "IntelHexSource.h"

#include <cstring>

namespace {

constexpr int kData = 0;
constexpr int kEndOfFile = 1;
constexpr int kSegmentAddress = 2;
constexpr int kStartSegment = 3;
constexpr int kLinearAddress = 4;
constexpr int kStartLinear = 5;

// The data bytes a record of `type` must hold; -1 for any number.
int ExpectedLength(int type)
{
    switch (type) {
    case kData: return -1;
    case kEndOfFile: return 0;
    case kSegmentAddress:
    case kLinearAddress: return 2;
    case kStartSegment:
    case kStartLinear: return 4;
    default: return -2;
    }
}

} // namespace

CIntelHexSource::Next CIntelHexSource::ParseRecord()
{
    if (m_nWrapped > 0) {
        std::memcpy(m_data.data(), m_wrapped.data(), size_t(m_nWrapped));
        m_nLength = m_nWrapped;
        m_nAddress = m_nWrappedAddress;
        m_nWrapped = 0;
        return Next::Data;
    }
    std::array<quint8, 5 + kRecordBytes> bytes;
    while (!m_bEnded) {
        if (!ReadMark(':', QStringLiteral("The file ends without an end-of-file (01) record.")))
            return Next::Failed;
        if (!ReadRecord(bytes.data()))
            return Next::Failed;
        const int length = bytes[0];
        const int type = bytes[3];
        if (type == kData) {
            TakeData(quint16(bytes[1] << 8 | bytes[2]), bytes.data() + 4, length);
            if (m_nLength > 0)
                return Next::Data;
        } else if (!TakeControlRecord(type, bytes.data() + 4, length)) {
            return Next::Failed;
        }
    }
    return Next::End;
}

bool CIntelHexSource::ReadRecord(quint8 *bytes)
{
    if (!ReadHexBytes(1, bytes) || !ReadHexBytes(bytes[0] + 4, bytes + 1))
        return false;
    const int total = bytes[0] + 5;
    unsigned sum = 0;
    for (int i = 0; i < total - 1; ++i)
        sum += bytes[i];
    const quint8 expected = quint8(-sum);
    if (bytes[total - 1] == expected)
        return true;
    FailOnLine(QString::asprintf("The record's checksum is %02X; its bytes need %02X.", unsigned(bytes[total - 1]),
                                 unsigned(expected)));
    return false;
}

bool CIntelHexSource::TakeControlRecord(int type, const quint8 *data, int length)
{
    const int expected = ExpectedLength(type);
    if (expected == -2) {
        FailOnLine(QString::asprintf("Intel HEX record type %02X is unknown.", unsigned(type)));
        return false;
    }
    if (length != expected) {
        FailOnLine(QString::asprintf("A type %02X record holds %d bytes, not %d.", unsigned(type), length, expected));
        return false;
    }
    const quint32 value = quint32(data[0]) << 8 | data[1];
    if (type == kSegmentAddress || type == kLinearAddress) {
        m_bSegmented = type == kSegmentAddress;
        m_nBase = m_bSegmented ? value << 4 : value << 16;
    }
    m_bEnded = type == kEndOfFile;
    return true;
}

void CIntelHexSource::TakeData(quint16 offset, const quint8 *data, int length)
{
    const quint32 start = m_nBase + offset;
    // Bytes before the wrap: to the segment's end, or to the end of the address space.
    const quint64 room = m_bSegmented ? quint64(0x10000 - offset) : (quint64(1) << 32) - start;
    const int first = room < quint64(length) ? int(room) : length;
    std::memcpy(m_data.data(), data, size_t(first));
    m_nLength = first;
    m_nAddress = start;
    m_nWrapped = length - first;
    std::memcpy(m_wrapped.data(), data + first, size_t(m_nWrapped));
    m_nWrappedAddress = m_bSegmented ? m_nBase : 0;
}
