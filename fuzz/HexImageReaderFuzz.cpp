// libFuzzer target for CHexImageReader: the first input byte chooses the
// target (unit size, word size, byte order), the buffer capacity and whether
// the file is named as raw binary; the rest is the image file in any of the
// formats.
#include "image/HexImageReader.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int capacities[] = {1, 2, 3, 8, 31, 256, 4096};
    const int subfamilies[] = {0x64, 0x54, 0x55, 1};
    const std::uint8_t setup = data[0];
    const int capacity = capacities[setup % 7];
    const int bytesPerUnit = 1 + ((setup >> 3) & 1);
    const int subfamily = subfamilies[(setup >> 4) & 3];
    const bool bigEndian = (setup >> 6) & 1;
    const QString fileName = (setup >> 7) & 1 ? QStringLiteral("fuzz.bin") : QStringLiteral("fuzz.hex");

    QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QBuffer file(&text);
    file.open(QIODevice::ReadOnly);
    CHexImageReader reader(file, subfamily, bytesPerUnit, bigEndian, fileName);
    std::vector<std::uint8_t> buffer(static_cast<size_t>(capacity));
    // Every call consumes input or ends the image; zero results come only from ETX.
    // ELF segments may share file bytes: each of the table's entries (32 bytes) can deliver the whole file.
    const qsizetype maxCalls = (text.size() + 2) * (reader.GetFormat() == HexElf ? text.size() / 32 + 1 : 1);
    for (qsizetype call = 0; call < maxCalls; ++call) {
        quint32 address = 0;
        const int result = reader.ReadBlock(address, buffer.data(), capacity);
        if (result < 0) {
            // An error text comes only with a failure.
            if (!reader.HasFailed() && !reader.ErrorText().isEmpty())
                std::abort();
            return 0;
        }
        if (result > capacity)
            std::abort();
    }
    std::abort(); // the reader did not reach the end
}
