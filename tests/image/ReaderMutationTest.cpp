// Seeded random damage to valid images of every format: the reader must end,
// stay inside its buffer and report every failure it meets.
#include "ImageReading.h"

#include "support/TestElf.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QList<QByteArray> Samples()
{
    QByteArray records = "S00600004844521B\r\n";
    QByteArray ti = "\x02\r\n$A8000,\r\n";
    QByteArray ccs = "1651 1 8000 0 40\r\n";
    QByteArray intel = IntelRecord(4, 0, QByteArray("\x00\x01", 2));
    QByteArray tektronix;
    QByteArray tektronixExtended;
    QByteArray tiTagged = TiTaggedRecord("K0009APP1");
    QByteArray tiTxt = "@8000\n";
    for (int i = 0; i < 40; ++i) {
        const QByteArray data(8 + i % 5, char(i * 13));
        records += SRecord("123"[i % 3], quint32(0x1000 + 8 * i), data);
        ti += data.toHex(' ') + (i % 7 == 6 ? "\r\n$A9000,\r\n" : "\r\n");
        ccs += "0x" + QByteArray::number(0x1234567u * quint32(i), 16) + "\r\n";
        intel += IntelRecord(i % 9 == 8 ? 2 : 0, quint16(0xFF80 + 8 * i), i % 9 == 8 ? QByteArray("\x10\x00", 2) : data);
        tektronix += TektronixRecord(quint16(0x1000 + 8 * i), data);
        tektronixExtended += TektronixExtendedRecord('6', quint32(0x1000 + 8 * i), data, 1 + i % 8);
        tiTagged += TiTaggedRecord("9" + QByteArray::number(0x1000 + 8 * i, 16).toUpper() + "*" + data.toHex().left(2) + "B"
                                   + data.toHex().mid(2, 4));
        tiTxt += data.toHex(' ') + (i % 7 == 6 ? "\n@9000\n" : "\n");
    }
    return {records + SRecord('5', 40) + SRecord('9', 0), ti + "\x03", ccs, intel + IntelRecord(1, 0),
            tektronix + "/00000000\r\n", tektronixExtended + TektronixExtendedRecord('8', 0), tiTagged + ":\r\n",
            tiTxt + "q\n", TestElf().bytes, TestElf(true).bytes};
}

QByteArray Mutate(QByteArray text, std::mt19937 &random)
{
    static const char alphabet[] = "S0123456789ABCDEFabcdef$A,\r\n \t\x02\x03xG-:/%@qK9B*7F\x7F";
    const int mutations = 1 + int(random() % 4);
    for (int m = 0; m < mutations && !text.isEmpty(); ++m) {
        const qsizetype at = qsizetype(random() % quint32(text.size()));
        switch (random() % 5) {
        case 0:
            text[at] = alphabet[random() % (sizeof alphabet - 1)];
            break;
        case 1:
            text.insert(at, alphabet[random() % (sizeof alphabet - 1)]);
            break;
        case 2:
            text.remove(at, qsizetype(random() % 20));
            break;
        case 3:
            text.insert(at, text.mid(qsizetype(random() % quint32(text.size())), qsizetype(random() % 40)));
            break;
        default:
            text.truncate(at);
            break;
        }
    }
    return text;
}

TEST(ReaderMutation, DamagedImagesEndCleanly)
{
    const QList<QByteArray> samples = Samples();
    std::mt19937 random(20240611);
    const int capacities[] = {1, 2, 3, 8, 30, 256};
    const int subfamilies[] = {0x64, 0x54, 0x55, 1};
    int failures = 0;
    int delivered = 0;
    for (int i = 0; i < 1000 * samples.size(); ++i) {
        const QByteArray text = Mutate(samples[i % samples.size()], random);
        ReaderSetup setup;
        setup.capacity = capacities[random() % std::size(capacities)];
        setup.bytesPerUnit = 1 + int(random() % 2);
        setup.subfamily = subfamilies[random() % std::size(subfamilies)];
        setup.bigEndian = random() % 2 == 0;
        const ImageReading reading = ReadImage(text, setup);
        SCOPED_TRACE(text.toStdString());
        ASSERT_FALSE(reading.endless);
        for (const ImageBlock &block : reading.blocks)
            ASSERT_FALSE(block.bytes.isEmpty());
        ASSERT_LE(reading.zeroResults, text.count('\x03'));
        ASSERT_TRUE(reading.failed || reading.error.isEmpty());
        if (reading.failed && setup.capacity >= 4) {
            ASSERT_FALSE(reading.error.isEmpty()) << "a failure must be reported";
        }
        failures += reading.failed ? 1 : 0;
        delivered += reading.blocks.isEmpty() ? 0 : 1;
    }
    // The damage must exercise both paths.
    EXPECT_GT(failures, 200 * samples.size());
    EXPECT_GT(delivered, 200 * samples.size());
}

} // namespace
