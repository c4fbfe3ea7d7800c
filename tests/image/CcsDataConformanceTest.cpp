// Code Composer data files from a small generator, read back word by word.
#include "ImageReading.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

namespace {

struct CcsCase {
    const char *name;
    int subfamily;
    int wordBytes;
    int bytesPerUnit;
    bool bigEndian;
};

struct CcsFile {
    QByteArray text;
    QByteArray bytes; // the words in the target's byte order
};

// Writes `count` random words the way Code Composer saves them, with varied separators.
CcsFile GenerateCcsFile(const CcsCase &c, int count, unsigned seed)
{
    std::mt19937 random(seed);
    const char *separators[] = {"\r\n", "\r\n", " ", ",", "\t", "\n"};
    CcsFile file;
    file.text = QByteArray("1651 1 8000 1 ") + QByteArray::number(count) + "\r\n";
    for (int i = 0; i < count; ++i) {
        const quint32 word = c.wordBytes == 4 ? quint32(random()) : quint32(random() & 0xFFFF);
        file.text += "0x" + QByteArray::number(word, 16).rightJustified(c.wordBytes * 2, '0').toUpper();
        file.text += separators[random() % std::size(separators)];
        char bytes[4];
        if (c.wordBytes == 4)
            c.bigEndian ? qToBigEndian(word, bytes) : qToLittleEndian(word, bytes);
        else
            c.bigEndian ? qToBigEndian(quint16(word), bytes) : qToLittleEndian(quint16(word), bytes);
        file.bytes.append(bytes, c.wordBytes);
    }
    return file;
}

class CcsDataConformance : public ::testing::TestWithParam<CcsCase> {};

TEST_P(CcsDataConformance, WordsInTargetOrderFromAddressZero)
{
    const CcsCase &c = GetParam();
    const CcsFile file = GenerateCcsFile(c, 1500, unsigned(c.subfamily * 7 + c.bigEndian));
    for (int capacity : {4, 6, 256, 4094, 32700}) {
        SCOPED_TRACE(capacity);
        ReaderSetup setup;
        setup.capacity = capacity;
        setup.subfamily = c.subfamily;
        setup.bytesPerUnit = c.bytesPerUnit;
        setup.bigEndian = c.bigEndian;
        const ImageReading reading = ReadImage(file.text, setup);
        ASSERT_EQ(reading.format, HexCcsData);
        EXPECT_FALSE(reading.failed);
        QByteArray joined;
        for (qsizetype i = 0; i < reading.blocks.size(); ++i) {
            const ImageBlock &block = reading.blocks[i];
            EXPECT_EQ(block.address, quint32(joined.size() / c.bytesPerUnit));
            EXPECT_EQ(block.bytes.size() % c.wordBytes, 0);
            if (i + 1 < reading.blocks.size()) {
                EXPECT_GT(block.bytes.size(), capacity - c.wordBytes) << "only the last block may leave room";
            }
            joined += block.bytes;
        }
        EXPECT_EQ(joined, file.bytes);
    }
}

const CcsCase kCcsCases[] = {
    {"C64xLittle", 0x64, 4, 1, false},
    {"C67xBig", 0x67, 4, 1, true},
    {"Arm7Little", 1, 4, 1, false},
    {"Arm9Big", 2, 4, 1, true},
    {"C54xWordsBig", 0x54, 2, 2, true},
    {"C28xWordsLittle", 0x28, 2, 2, false},
    {"C55xBytesLittle", 0x55, 2, 1, false},
};

INSTANTIATE_TEST_SUITE_P(Generated, CcsDataConformance, ::testing::ValuesIn(kCcsCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
