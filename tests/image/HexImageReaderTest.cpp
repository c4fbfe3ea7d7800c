#include "ImageReading.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const QString kInvalidFileChar = QStringLiteral(
    "Hex File Error: Invalid hex file char seen.\r\nPlease review the hex file for incorrect characters.");
const QString kInvalidDigit =
    QStringLiteral("Hex File Error: Invalid hex character seen.Please review the hex file for errors.");

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

QByteArray Pattern(int count, int first = 0)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(first + i));
    return bytes;
}

const QByteArray kHeader = "S00600004844521B\r\n";

struct ReaderCase {
    const char *name;
    QByteArray text;
    ReaderSetup setup;
    HexFormat format;
    QList<ImageBlock> blocks;
    QString error;
    bool failed;
};

void PrintTo(const ReaderCase &c, std::ostream *os)
{
    *os << c.name;
}

class HexImageReaderCases : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(HexImageReaderCases, DeliversBlocksAndErrors)
{
    const ReaderCase &c = GetParam();
    const ImageReading reading = ReadImage(c.text, c.setup);
    EXPECT_EQ(reading.format, c.format);
    EXPECT_EQ(reading.blocks, c.blocks);
    EXPECT_EQ(reading.error.toStdString(), c.error.toStdString());
    EXPECT_EQ(reading.failed, c.failed);
    EXPECT_FALSE(reading.endless);
}

ReaderSetup WithCapacity(int capacity, int bytesPerUnit = 1)
{
    ReaderSetup setup;
    setup.capacity = capacity;
    setup.bytesPerUnit = bytesPerUnit;
    return setup;
}

QByteArray TiText(const QByteArray &body)
{
    return "\x02\r\n" + body;
}

QByteArray TiBytes(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper() + "\r\n";
}

const ReaderCase kTiCases[] = {
    {"OneBlockEndsAtEtx", TiText("$A8000,\r\n01 02 03 04\x03"), WithCapacity(256), HexTiAscii, {{0x8000, Bytes({1, 2, 3, 4})}}, {}, false},
    {"FullBufferContinuesInUnits", TiText("$A100,\r\n" + TiBytes(Pattern(300)) + "\x03"), WithCapacity(256, 2), HexTiAscii,
     {{0x100, Pattern(256)}, {0x180, Pattern(44, 256)}}, {}, false},
    {"AddressFieldStartsANewBlock", TiText("$A100,\r\n01 02\r\n$A200,\r\n03\x03"), WithCapacity(256), HexTiAscii,
     {{0x100, Bytes({1, 2})}, {0x200, Bytes({3})}}, {}, false},
    {"BlockMayEndInsideAnAddressField", TiText("$A10,01,02,03,04$A2000,05\x03"), WithCapacity(4), HexTiAscii,
     {{0x10, Bytes({1, 2, 3, 4})}, {0x2000, Bytes({5})}}, {}, false},
    {"DataAfterEtxFollowsOn", TiText("$A10,\r\n01 02\x03\r\n03 04\x03"), WithCapacity(256), HexTiAscii,
     {{0x10, Bytes({1, 2})}, {0x12, Bytes({3, 4})}}, {}, false},
    {"EndOfFileWithoutEtx", TiText("$A10,0a 0B"), WithCapacity(256), HexTiAscii, {{0x10, Bytes({0x0A, 0x0B})}}, {}, false},
    {"LowerCaseAddressMark", TiText("$a10,01\x03"), WithCapacity(256), HexTiAscii, {},
     {QStringLiteral("Hex File Error: I don't understand $a yet.")}, true},
    {"NoAddressFieldStartsAtZero", TiText("0a 0B"), WithCapacity(256), HexTiAscii, {{0, Bytes({0x0A, 0x0B})}}, {}, false},
    {"DollarB", TiText("$B100,01\x03"), WithCapacity(256), HexTiAscii, {},
     {QStringLiteral("Hex File Error: I don't understand $B yet.")}, true},
    {"NineAddressDigits", TiText("$A123456789,01\x03"), WithCapacity(256), HexTiAscii, {},
     {QStringLiteral("Hex File Error: $Ax...x address field too long.")}, true},
    {"EightAddressDigits", TiText("$AFFFFFFFF,01\x03"), WithCapacity(256), HexTiAscii, {{0xFFFFFFFF, Bytes({1})}}, {}, false},
    {"ImproperAddressDigit", TiText("$A12G4,01\x03"), WithCapacity(256), HexTiAscii, {},
     {QStringLiteral("Hex File Error: Improper $Axxxx address field.")}, true},
    {"InvalidCharKeepsTheGatheredBytes", TiText("$A10,01 02 X3 04\x03"), WithCapacity(256), HexTiAscii,
     {{0x10, Bytes({1, 2})}}, {kInvalidFileChar}, true},
    {"SeparatorInsideAByte", TiText("$A10,01 0 2\x03"), WithCapacity(256), HexTiAscii, {{0x10, Bytes({1})}}, {kInvalidDigit}, true},
    {"StxWithoutCrLfIsUnknown", "\x02 $A10,01\x03", WithCapacity(256), HexUnknown, {},
     {QStringLiteral("*** Error *** Unknown Hex File Format.")}, true},
    {"TooShortToDetect", "\x02\r", WithCapacity(256), HexUnknown, {},
     {QStringLiteral("*** Error *** Unknown Hex File Format.")}, true},
};

INSTANTIATE_TEST_SUITE_P(TiAscii, HexImageReaderCases, ::testing::ValuesIn(kTiCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ReaderCase kSRecordCases[] = {
    {"ContiguousRecordsMerge",
     kHeader + SRecord('1', 0x1000, Pattern(16)) + SRecord('1', 0x1010, Pattern(16, 16)) + SRecord('9', 0),
     WithCapacity(256), HexS1, {{0x1000, Pattern(32)}}, {}, false},
    {"GapSplitsBlocks",
     kHeader + SRecord('1', 0x1000, Pattern(16)) + SRecord('1', 0x1020, Pattern(16, 16)) + SRecord('9', 0),
     WithCapacity(256), HexS1, {{0x1000, Pattern(16)}, {0x1020, Pattern(16, 16)}}, {}, false},
    {"WordAddressesMerge",
     kHeader + SRecord('1', 0x1000, Pattern(16)) + SRecord('1', 0x1008, Pattern(16, 16)) + SRecord('1', 0x1012, Pattern(2)),
     WithCapacity(256, 2), HexS1, {{0x1000, Pattern(32)}, {0x1012, Pattern(2)}}, {}, false},
    {"RecordLongerThanCapacitySpansBlocks", kHeader + SRecord('3', 0x80000000, Pattern(30)), WithCapacity(8, 2), HexS3,
     {{0x80000000, Pattern(8)}, {0x80000004, Pattern(8, 8)}, {0x80000008, Pattern(8, 16)}, {0x8000000C, Pattern(6, 24)}},
     {}, false},
    {"RecordTypesKeepTheirOwnAddressWidth",
     kHeader + SRecord('2', 0x123456, Pattern(4)) + SRecord('1', 0x1000, Pattern(2)) + SRecord('3', 0x12345678, Pattern(1)),
     WithCapacity(256), HexS2, {{0x123456, Pattern(4)}, {0x1000, Pattern(2)}, {0x12345678, Pattern(1)}}, {}, false},
    {"RecordWithoutDataIsSkipped", kHeader + SRecord('1', 0x10) + SRecord('1', 0x20, Pattern(2)), WithCapacity(256), HexS1,
     {{0x20, Pattern(2)}}, {}, false},
    {"EndRecordIgnoresTheRest", kHeader + SRecord('1', 0x10, Pattern(2)) + SRecord('9', 0) + SRecord('1', 0x12, Pattern(2)),
     WithCapacity(256), HexS1, {{0x10, Pattern(2)}}, {}, false},
    {"S0ThenS9IsUnknown", kHeader + SRecord('9', 0), WithCapacity(256), HexUnknown, {},
     {QStringLiteral("*** Error *** Unknown Hex File Format.")}, true},
    {"WithoutHeaderS1", SRecord('1', 0x10, Pattern(2)) + SRecord('9', 0), WithCapacity(256), HexS1,
     {{0x10, Pattern(2)}}, {}, false},
    {"WithoutHeaderS2", SRecord('2', 0x123456, Pattern(4)) + SRecord('1', 0x1000, Pattern(2)), WithCapacity(256), HexS2,
     {{0x123456, Pattern(4)}, {0x1000, Pattern(2)}}, {}, false},
    {"WithoutHeaderS3", SRecord('3', 0x80000000, Pattern(3)) + SRecord('7', 0x80000000), WithCapacity(256), HexS3,
     {{0x80000000, Pattern(3)}}, {}, false},
    {"WithoutHeaderBadRecord", "S1041002AA41\r\n", WithCapacity(256), HexS1, {},
     {QStringLiteral("Hex File Error: Invalid cksum mine/flash   c0    41")}, true},
    {"MatchingCountRecords",
     kHeader + SRecord('1', 0x10, Pattern(2)) + SRecord('1', 0x12) + SRecord('5', 2) + SRecord('6', 2), WithCapacity(256), HexS1,
     {{0x10, Pattern(2)}}, {}, false},
    {"CountRecordMismatch", kHeader + SRecord('1', 0x10, Pattern(2)) + SRecord('5', 2) + SRecord('1', 0x40, Pattern(2)),
     WithCapacity(256), HexS1, {{0x10, Pattern(2)}},
     {QStringLiteral("Hex File Error: The S5 record counts 2 data records, but the file has 1.")}, true},
    {"UnknownRecordType", kHeader + SRecord('4', 0x10, Pattern(2)), WithCapacity(256), HexUnknown, {},
     {QStringLiteral("*** Error *** Unknown Hex File Format.")}, true},
    {"UnknownRecordTypeAfterData", kHeader + SRecord('1', 0x10, Pattern(2)) + "S4030000FC\r\n" + SRecord('1', 0x12, Pattern(2)),
     WithCapacity(256), HexS1, {{0x10, Pattern(2)}}, {QStringLiteral("Hex File Error: I don't understand the S4 record yet.")}, true},
    {"ChecksumMismatchEndsAfterTheGatheredBlock",
     kHeader + SRecord('1', 0x1000, Pattern(2)) + "S1041002AA41\r\n" + SRecord('1', 0x1003, Pattern(2)), WithCapacity(256), HexS1,
     {{0x1000, Pattern(2)}}, {QStringLiteral("Hex File Error: Invalid cksum mine/flash   c0    41")}, true},
    {"ChecksumMismatchInFirstRecord", kHeader + "S1041002AA41\r\n" + SRecord('1', 0x1003, Pattern(2)), WithCapacity(256), HexS1, {},
     {QStringLiteral("Hex File Error: Invalid cksum mine/flash   c0    41")}, true},
    {"InvalidDigitInRecord", kHeader + "S1051002AG40\r\n", WithCapacity(256), HexS1, {}, {kInvalidDigit}, true},
    {"RecordCutOffByEndOfFile", kHeader + SRecord('1', 0x10, Pattern(2)) + "S1071000AABB", WithCapacity(256), HexS1,
     {{0x10, Pattern(2)}}, {QStringLiteral("Hex File Error: S-record cut off by the end of the file.")}, true},
    {"DetectionScanBeyondTheFirstBuffer", kHeader + QByteArray(300000, '\n') + SRecord('2', 0x10, Pattern(2)), WithCapacity(256),
     HexS2, {{0x10, Pattern(2)}}, {}, false},
    {"LowerCaseDigits", kHeader + SRecord('1', 0x10, Pattern(2, 0xAB)).toLower().replace('s', 'S'), WithCapacity(256), HexS1,
     {{0x10, Pattern(2, 0xAB)}}, {}, false},
};

INSTANTIATE_TEST_SUITE_P(SRecords, HexImageReaderCases, ::testing::ValuesIn(kSRecordCases),
                         [](const auto &info) { return std::string(info.param.name); });

ReaderSetup CcsSetup(int capacity, int subfamily, bool bigEndian, int bytesPerUnit = 1)
{
    ReaderSetup setup;
    setup.capacity = capacity;
    setup.subfamily = subfamily;
    setup.bigEndian = bigEndian;
    setup.bytesPerUnit = bytesPerUnit;
    return setup;
}

const QString kNotHexCcs =
    QStringLiteral("Corvane can only read CCS Saved Data in Hex Format.\r\nPlease re-format the data.");

const ReaderCase kCcsCases[] = {
    {"LittleEndianWord", "1651 1 8000 0 4\r\n0x12345678\r\n", CcsSetup(256, 0x64, false), HexCcsData,
     {{0, Bytes({0x78, 0x56, 0x34, 0x12})}}, {}, false},
    {"BigEndianWord", "1651 1 8000 0 4\r\n0x12345678\r\n", CcsSetup(256, 0x67, true), HexCcsData,
     {{0, Bytes({0x12, 0x34, 0x56, 0x78})}}, {}, false},
    {"SixteenBitWordsFillTheBufferExactly", "1651 1 0 0 3\r\n0x1234\r\n0xABCD\r\n0x0001\r\n",
     CcsSetup(4, 0x54, true, 2), HexCcsData, {{0, Bytes({0x12, 0x34, 0xAB, 0xCD})}, {2, Bytes({0x00, 0x01})}}, {}, false},
    {"ItemOpenAtEndOfFileIsStored", "1651 1 0 0 2\r\n0x1234,0x5678", CcsSetup(256, 0x28, false), HexCcsData,
     {{0, Bytes({0x34, 0x12, 0x78, 0x56})}}, {}, false},
    {"UnixLineEnds", "1651 1 0 0 1\n0x00000102\n", CcsSetup(256, 1, false), HexCcsData, {{0, Bytes({2, 1, 0, 0})}}, {}, false},
    {"FormatTwo", "1651 2 8000 0 4\r\n0x12345678\r\n", CcsSetup(256, 0x64, false), HexUnknown, {},
     kNotHexCcs, true},
    {"HeaderWithoutLineEnd", "1651 1 8000 0 4", CcsSetup(256, 0x64, false), HexUnknown, {},
     {QStringLiteral("*** Error *** Unknown Hex File Format.")}, true},
    {"WrongMark", "1652 1 8000 0 4\r\n0x1\r\n", CcsSetup(256, 0x64, false), HexUnknown, {},
     {QStringLiteral("*** Error *** Unknown Hex File Format.")}, true},
    {"OverlongItem", "1651 1 0 0 1\r\n0x1 " + QByteArray(100, '0') + "\r\n", CcsSetup(256, 0x64, false), HexCcsData,
     {{0, Bytes({1, 0, 0, 0})}}, {QStringLiteral("Hex File Error: CCS data item too long.")}, true},
};

INSTANTIATE_TEST_SUITE_P(CcsData, HexImageReaderCases, ::testing::ValuesIn(kCcsCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HexImageReader, CallsAfterTheEndKeepReturningEnd)
{
    const ImageReading reading = ReadImage(TiText("$A10,01\x03"));
    EXPECT_EQ(reading.zeroResults, 0);
    EXPECT_EQ(reading.blocks.size(), 1);
}

TEST(HexImageReader, CapacityBelowOneUnitFailsInsteadOfLooping)
{
    const ImageReading reading = ReadImage(kHeader + SRecord('1', 0x10, Pattern(4)), WithCapacity(1, 2));
    EXPECT_TRUE(reading.blocks.isEmpty());
    EXPECT_TRUE(reading.failed);
    EXPECT_EQ(reading.zeroResults, 0);
}

// A reading error is followed by the file and the line where it was found, counted across refills of the buffer.
TEST(HexImageReader, ErrorsNameTheFileAndTheLine)
{
    const QByteArray badChecksum = "S1041002AA41\r\n";
    const struct {
        const char *name;
        QByteArray text;
        QString error;
        int line;
    } cases[] = {
        {"Checksum", kHeader + SRecord('1', 0x10, Pattern(2)) + badChecksum,
         QStringLiteral("Hex File Error: Invalid cksum mine/flash   c0    41"), 3},
        {"ChecksumBeyondTheFirstBuffer", kHeader + QByteArray(300000, '\n') + badChecksum,
         QStringLiteral("Hex File Error: Invalid cksum mine/flash   c0    41"), 300002},
        // The file goes on after the short record, but by fewer characters than its count asks for.
        {"ShortRecordBeforeTheEnd", kHeader + "S1130000AABB\r\n" + SRecord('9', 0),
         QStringLiteral("Hex File Error: The S-record ends after 10 of the 40 digits its byte count asks for."), 2},
        {"ShortRecordAmidData", kHeader + "S1130000AABB\r\n" + SRecord('1', 0x10, Pattern(32)),
         QStringLiteral("Hex File Error: The S-record ends after 10 of the 40 digits its byte count asks for."), 2},
        {"CutOffByTheEnd", kHeader + "S1130000AABB", QStringLiteral("Hex File Error: S-record cut off by the end of the file."), 2},
        {"TiHexDigit", TiText("$A10,\r\n01 02\r\n0G\x03"), kInvalidDigit, 4},
        {"CcsItem", "1651 1 0 0 1\r\n0x1\r\n" + QByteArray(100, '0') + "\r\n", QStringLiteral("Hex File Error: CCS data item too long."), 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ImageReading reading = ReadImage(c.text);
        EXPECT_EQ(reading.error.toStdString(), c.error.toStdString());
        EXPECT_EQ(reading.report.toStdString(),
                  QStringLiteral("%1\r\n%2, line %3").arg(c.error, kImagePath).arg(c.line).toStdString());
    }
}

// A header that fails is told before reading starts; an unknown format only when it is read.
TEST(HexImageReader, ErrorTextBeforeReading)
{
    const struct {
        QByteArray text;
        QString error;
    } cases[] = {
        {"1651 2 8000 0 4\r\n0x12345678\r\n", kNotHexCcs},
        {"1652 1 8000 0 4\r\n0x1\r\n", QString()},
        {kHeader + SRecord('9', 0), QString()},
        {TiText("$B100,01\x03"), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ReadImage(c.text, CcsSetup(256, 0x64, false)).detectionError.toStdString(), c.error.toStdString());
    }
}

} // namespace
