#include "ImageReading.h"

#include "image/HexImageReader.h"

#include <QBitArray>
#include <QBuffer>
#include <QProcess>

#include <gtest/gtest.h>

#include <vector>

ImageReading ReadImage(const QByteArray &content, const ReaderSetup &setup)
{
    constexpr int kMaxCalls = 1 << 22;
    QByteArray data = content;
    QBuffer device(&data);
    device.open(QIODevice::ReadOnly);
    CHexImageReader reader(device, setup.subfamily, setup.bytesPerUnit, setup.bigEndian, setup.fileName);
    ImageReading reading;
    reading.format = reader.GetFormat();
    reading.detectionError = reader.ErrorText();
    std::vector<quint8> buffer(size_t(setup.capacity) + 16, 0xA5);
    reading.endless = true;
    for (int call = 0; call < kMaxCalls; ++call) {
        quint32 address = 0;
        const int result = reader.ReadBlock(address, buffer.data(), setup.capacity);
        if (result < 0) {
            reading.endless = false;
            break;
        }
        if (result == 0) {
            ++reading.zeroResults;
            continue;
        }
        EXPECT_LE(result, setup.capacity);
        reading.blocks.append({address, QByteArray(reinterpret_cast<const char *>(buffer.data()), result)});
    }
    EXPECT_EQ(buffer[size_t(setup.capacity)], 0xA5) << "reader wrote past its capacity";
    reading.failed = reader.HasFailed();
    reading.error = reader.ErrorText();
    reading.report = reader.ErrorReport(kImagePath);
    return reading;
}

QByteArray LayOut(const QList<ImageBlock> &blocks, int bytesPerUnit, quint64 low, quint64 high, char fill)
{
    QByteArray image(qsizetype(high - low), fill);
    QBitArray written(image.size());
    for (const ImageBlock &block : blocks) {
        const quint64 start = quint64(block.address) * quint64(bytesPerUnit);
        if (start < low || start + quint64(block.bytes.size()) > high) {
            ADD_FAILURE() << "block at 0x" << std::hex << block.address << " lies outside the image";
            continue;
        }
        for (qsizetype i = 0; i < block.bytes.size(); ++i) {
            const qsizetype at = qsizetype(start - low) + i;
            EXPECT_FALSE(written.testBit(at)) << "byte 0x" << std::hex << (start + quint64(i)) << " delivered twice";
            written.setBit(at);
            image[at] = block.bytes[i];
        }
    }
    return image;
}

QByteArray SRecord(char type, quint32 address, const QByteArray &data)
{
    const int addressBytes = (type == '2' || type == '6' || type == '8') ? 3 : (type == '3' || type == '7') ? 4 : 2;
    QByteArray body;
    body.append(char(addressBytes + data.size() + 1));
    for (int i = addressBytes - 1; i >= 0; --i)
        body.append(char(address >> (8 * i)));
    body.append(data);
    unsigned sum = 0;
    for (char byte : body)
        sum += quint8(byte);
    body.append(char(~sum));
    return "S" + QByteArray(1, type) + body.toHex().toUpper() + "\r\n";
}

namespace {

quint8 ByteSum(const QByteArray &bytes)
{
    unsigned sum = 0;
    for (char byte : bytes)
        sum += quint8(byte);
    return quint8(sum);
}

unsigned NibbleSumOf(const QByteArray &digits)
{
    unsigned sum = 0;
    for (char digit : digits)
        sum += unsigned(QByteArray(1, digit).toUInt(nullptr, 16));
    return sum;
}

QByteArray Hex(quint64 value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

} // namespace

QByteArray IntelRecord(int type, quint16 address, const QByteArray &data)
{
    QByteArray body;
    body.append(char(data.size()));
    body.append(char(address >> 8));
    body.append(char(address));
    body.append(char(type));
    body.append(data);
    body.append(char(-ByteSum(body)));
    return ":" + body.toHex().toUpper() + "\r\n";
}

QByteArray TektronixRecord(quint16 address, const QByteArray &data)
{
    const QByteArray header = Hex(address, 4) + Hex(quint64(data.size()), 2);
    const QByteArray digits = data.toHex().toUpper();
    return "/" + header + Hex(NibbleSumOf(header) & 0xFF, 2) + digits + Hex(NibbleSumOf(digits) & 0xFF, 2) + "\r\n";
}

QByteArray TektronixExtendedRecord(char type, quint32 address, const QByteArray &data, int addressDigits)
{
    const QByteArray tail = Hex(quint64(addressDigits % 16), 1) + Hex(address, addressDigits) + data.toHex().toUpper();
    const QByteArray length = Hex(quint64(tail.size() + 5), 2);
    const unsigned sum = NibbleSumOf(length + QByteArray(1, type) + tail);
    return "%" + length + QByteArray(1, type) + Hex(sum & 0xFF, 2) + tail + "\r\n";
}

QByteArray TiTaggedRecord(const QByteArray &fields)
{
    unsigned sum = 0;
    for (char c : fields + "7")
        sum += quint8(c);
    return fields + "7" + Hex((0x10000 - (sum & 0xFFFF)) & 0xFFFF, 4) + "F\r\n";
}

QByteArray RunTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().constData();
    return process.readAllStandardOutput();
}

void PrintTo(const ImageBlock &block, std::ostream *os)
{
    *os << "{0x" << std::hex << block.address << ": " << block.bytes.toHex(' ').constData() << "}";
}
