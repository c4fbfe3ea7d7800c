#include "DummyHexWriter.h"

#include "base/FileName.h"
#include "base/ReplacingFile.h"

#include <cstdio>

namespace {

constexpr quint32 kBytesPerRecord = 16;

// One S3 record of `count` pattern bytes at `address`, with its line end.
QByteArray DataRecord(quint32 address, quint32 count)
{
    char line[64];
    const quint32 length = count + 5;
    int pos = std::snprintf(line, sizeof line, "S3%02X%08X", unsigned(length), unsigned(address));
    quint32 sum = length + (address >> 24) + ((address >> 16) & 0xFF) + ((address >> 8) & 0xFF) + (address & 0xFF);
    for (quint32 i = 0; i < count; ++i) {
        pos += std::snprintf(line + pos, sizeof line - pos, "%02X", unsigned(i));
        sum += i;
    }
    std::snprintf(line + pos, sizeof line - pos, "%02X\r\n", unsigned(~sum & 0xFF));
    return QByteArray(line);
}

bool WriteRecords(CReplacingFile &file, quint32 address, quint32 remaining, quint32 mau)
{
    if (!file.Write("S00500000000FA\r\n"))
        return false;
    while (remaining > 0) {
        const quint32 count = qMin(remaining, kBytesPerRecord);
        if (!file.Write(DataRecord(address, count)))
            return false;
        remaining -= count;
        address += count / mau;
    }
    return file.Write("S70500000000FA\r\n") && file.Commit();
}

} // namespace

QString WriteDummyHex(const QString &fileName, quint32 startAddress, quint32 dataLength, quint32 mau)
{
    CReplacingFile file(fileName);
    const auto cannotCreate = [&] {
        return QStringLiteral("Cannot create the dummy hex file.\r\nApplication will terminate.\r\n")
            + CFileName::ReasonLine(fileName, file.ErrorString());
    };
    if (!file.Open())
        return cannotCreate();
    if (mau < 1 || mau > 4)
        return QStringLiteral("MAU Factor is incorrect.\r\nApplication will terminate.");
    if (mau == 2 && dataLength % 2 != 0)
        return QStringLiteral("MAU Factor disagrees with odd byte count.\r\nApplication will terminate.");
    if (!WriteRecords(file, startAddress, dataLength, mau))
        return cannotCreate();
    return QString();
}
