#include "ImageReading.h"

#include "support/TestElf.h"

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
    const char *place = nullptr;  // where the error report puts the error; "" for nowhere, null for unchecked
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
    if (c.place != nullptr) {
        const QString place = *c.place ? QStringLiteral(", ") + QLatin1String(c.place) : QString();
        EXPECT_EQ(reading.report.toStdString(), (c.error + QStringLiteral("\r\n") + kImagePath + place).toStdString());
    }
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

QString HexError(const QString &reason)
{
    return QStringLiteral("Hex File Error: ") + reason;
}

ReaderSetup Named(const char *fileName, int capacity = 256, int bytesPerUnit = 1)
{
    ReaderSetup setup = WithCapacity(capacity, bytesPerUnit);
    setup.fileName = QString::fromLatin1(fileName);
    return setup;
}

const QString kBadDigit = QStringLiteral("Invalid hex character seen.");
const QString kCutOff = QStringLiteral("The record is cut off by the end of the file.");
const QByteArray kIntelEnd = IntelRecord(1, 0);

const ReaderCase kIntelCases[] = {
    {"RecordsMergeIntoBlocks", IntelRecord(0, 0x100, Pattern(16)) + IntelRecord(0, 0x110, Pattern(16, 16)) + kIntelEnd,
     Named("app.hex"), HexIntel, {{0x100, Pattern(32)}}, {}, false},
    {"LinearAddressRunsOn", IntelRecord(4, 0, Bytes({0, 1})) + IntelRecord(0, 0xFFFE, Bytes({1, 2, 3, 4})) + kIntelEnd,
     Named("app.hex"), HexIntel, {{0x1FFFE, Bytes({1, 2, 3, 4})}}, {}, false},
    {"LinearAddressWrapsAtFourGiB",
     IntelRecord(4, 0, Bytes({0xFF, 0xFF})) + IntelRecord(0, 0xFFFE, Bytes({1, 2, 3, 4})) + kIntelEnd, Named("app.hex"),
     HexIntel, {{0xFFFFFFFE, Bytes({1, 2})}, {0, Bytes({3, 4})}}, {}, false},
    {"SegmentOffsetWrapsInItsSegment",
     IntelRecord(2, 0, Bytes({0x10, 0})) + IntelRecord(0, 0xFFFE, Bytes({1, 2, 3, 4})) + kIntelEnd, Named("app.hex"),
     HexIntel, {{0x1FFFE, Bytes({1, 2})}, {0x10000, Bytes({3, 4})}}, {}, false},
    {"StartAddressesAndBlankLinesIgnored",
     IntelRecord(3, 0, Pattern(4)) + "\r\n\n" + IntelRecord(5, 0, Pattern(4)) + IntelRecord(0, 0x10, Pattern(2)) + kIntelEnd
         + "anything after the end",
     Named("app.hex"), HexIntel, {{0x10, Pattern(2)}}, {}, false},
    {"WordAddressesCountUnits", IntelRecord(0, 0x100, Pattern(4)) + IntelRecord(0, 0x102, Pattern(2)) + kIntelEnd,
     Named("app.hex", 256, 2), HexIntel, {{0x100, Pattern(4) + Pattern(2)}}, {}, false},
    {"BadChecksum", IntelRecord(0, 0x10, Pattern(2)) + ":0200200001020A\r\n" + kIntelEnd, Named("app.hex"), HexIntel,
     {{0x10, Pattern(2)}}, HexError(QStringLiteral("The record's checksum is 0A; its bytes need DB.")), true, "line 2"},
    {"BadDigit", ":02002000010G0A\r\n", Named("app.hex"), HexIntel, {}, HexError(kBadDigit), true, "line 1"},
    {"ShortRecordInTheMiddle", IntelRecord(0, 0x10, Pattern(2)) + ":0400200001\r\n" + IntelRecord(0, 0x30, Pattern(2)),
     Named("app.hex"), HexIntel, {{0x10, Pattern(2)}}, HexError(kBadDigit), true, "line 2"},
    {"CutOff", IntelRecord(0, 0x10, Pattern(2)) + ":04002000", Named("app.hex"), HexIntel, {{0x10, Pattern(2)}},
     HexError(kCutOff), true, "line 2"},
    {"NoEndRecord", IntelRecord(0, 0x10, Pattern(2)), Named("app.hex"), HexIntel, {{0x10, Pattern(2)}},
     HexError(QStringLiteral("The file ends without an end-of-file (01) record.")), true, "line 2"},
    {"UnknownType", IntelRecord(6, 0, Pattern(2)), Named("app.hex"), HexIntel, {},
     HexError(QStringLiteral("Intel HEX record type 06 is unknown.")), true, "line 1"},
    {"AddressRecordOfThreeBytes", IntelRecord(4, 0, Pattern(3)), Named("app.hex"), HexIntel, {},
     HexError(QStringLiteral("A type 04 record holds 3 bytes, not 2.")), true, "line 1"},
    {"StrayCharacter", IntelRecord(0, 0x10, Pattern(2)) + "x" + kIntelEnd, Named("app.hex"), HexIntel,
     {{0x10, Pattern(2)}}, HexError(QStringLiteral("A record must start with ':', not 'x'.")), true, "line 2"},
    {"ColonWithoutDigitsIsNoFormat", ":x", Named("app.hex"), HexUnknown, {},
     QStringLiteral("*** Error *** Unknown Hex File Format."), true},
};

INSTANTIATE_TEST_SUITE_P(Intel, HexImageReaderCases, ::testing::ValuesIn(kIntelCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ReaderCase kTektronixCases[] = {
    {"RecordsMergeAndEndAtTermination",
     TektronixRecord(0x100, Pattern(8)) + TektronixRecord(0x108, Pattern(8, 8)) + "/00000000\r\n"
         + TektronixRecord(0x200, Pattern(2)),
     Named("app.tek"), HexTektronix, {{0x100, Pattern(16)}}, {}, false},
    {"EndOfFileEndsTheImage", TektronixRecord(0xFFF0, Pattern(16)), Named("app.tek"), HexTektronix,
     {{0xFFF0, Pattern(16)}}, {}, false},
    {"BadHeaderChecksum", TektronixRecord(0x10, Pattern(2)) + "/0010020000\r\n", Named("app.tek"), HexTektronix,
     {{0x10, Pattern(2)}},
     HexError(QStringLiteral("The record's checksum is 00; its digits add up to 03.")), true, "line 2"},
    {"BadDataChecksum", "/00100203010207\r\n", Named("app.tek"), HexTektronix, {},
     HexError(QStringLiteral("The record's checksum is 07; its digits add up to 03.")), true, "line 1"},
    {"BadDigit", "/0010020301X207\r\n", Named("app.tek"), HexTektronix, {},
     HexError(kBadDigit), true, "line 1"},
    {"CutOff", "/001002030102", Named("app.tek"), HexTektronix, {},
     HexError(kCutOff), true, "line 1"},
};

INSTANTIATE_TEST_SUITE_P(Tektronix, HexImageReaderCases, ::testing::ValuesIn(kTektronixCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ReaderCase kTektronixExtendedCases[] = {
    {"DataSymbolsAndTermination",
     TektronixExtendedRecord('6', 0x12345678, Pattern(8)) + "%0A3000ABCD\r\n" + TektronixExtendedRecord('6', 0x12345680, Pattern(4, 8))
         + TektronixExtendedRecord('8', 0) + TektronixExtendedRecord('6', 0, Pattern(2)),
     Named("app.hex"), HexTektronixExtended, {{0x12345678, Pattern(12)}}, {}, false},
    {"ShortAddressField", TektronixExtendedRecord('6', 0x1234, Pattern(4), 4), Named("app.hex"), HexTektronixExtended,
     {{0x1234, Pattern(4)}}, {}, false},
    {"BadChecksum", "%0E600410000102\r\n", Named("app.hex"), HexTektronixExtended, {},
     HexError(QStringLiteral("The record's checksum is 00; its digits add up to 1C.")), true, "line 1"},
    {"UnknownType", TektronixExtendedRecord('5', 0x10, Pattern(2)), Named("app.hex"), HexUnknown, {},
     QStringLiteral("*** Error *** Unknown Hex File Format."), true},
    {"UnknownTypeLater", TektronixExtendedRecord('6', 0x10, Pattern(2)) + TektronixExtendedRecord('5', 0x10, Pattern(2)),
     Named("app.hex"), HexTektronixExtended, {{0x10, Pattern(2)}},
     HexError(QStringLiteral("Extended Tektronix record type 5 is unknown.")), true, "line 2"},
    {"AddressLongerThanTheRecord", "%0A62391234\r\n", Named("app.hex"), HexTektronixExtended, {},
     HexError(QStringLiteral("A record of 10 characters cannot hold an address of 9 digits and whole bytes.")), true, "line 1"},
    {"OddDataDigits", "%0B617410001\r\n", Named("app.hex"), HexTektronixExtended, {},
     HexError(QStringLiteral("A record of 11 characters cannot hold an address of 4 digits and whole bytes.")), true, "line 1"},
    {"TooShort", "%046000\r\n", Named("app.hex"), HexTektronixExtended, {},
     HexError(QStringLiteral("A record of 4 characters is too short.")), true, "line 1"},
    {"CutOff", "%1A6", Named("app.hex"), HexTektronixExtended, {}, HexError(kCutOff), true, "line 1"},
};

INSTANTIATE_TEST_SUITE_P(TektronixExtended, HexImageReaderCases, ::testing::ValuesIn(kTektronixExtendedCases),
                         [](const auto &info) { return std::string(info.param.name); });

const QByteArray kTiTaggedHeader = TiTaggedRecord("K0009APP1");

const ReaderCase kTiTaggedCases[] = {
    {"WordsAndBytesAtTheirAddress",
     kTiTaggedHeader + TiTaggedRecord("90100B0102B0304*05") + TiTaggedRecord("B0607") + TiTaggedRecord("90200*AA") + ":\r\n",
     Named("app.hex"), HexTiTagged, {{0x100, Pattern(7, 1)}, {0x200, Bytes({0xAA})}}, {}, false},
    {"FileHeaderSkipped", kTiTaggedHeader + TiTaggedRecord("0000CAPP.OUT 90020B5678") + ":", Named("app.hex"), HexTiTagged,
     {{0x20, Bytes({0x56, 0x78})}}, {}, false},
    {"DummyChecksumIgnored", kTiTaggedHeader + "90020B56788FFFFF\r\n:", Named("app.hex"), HexTiTagged,
     {{0x20, Bytes({0x56, 0x78})}}, {}, false},
    {"WordAddressesCountUnits", kTiTaggedHeader + TiTaggedRecord("90100B0102B0304") + TiTaggedRecord("B0506") + ":",
     Named("app.hex", 256, 2), HexTiTagged, {{0x100, Pattern(6, 1)}}, {}, false},
    {"BadChecksum", kTiTaggedHeader + "90100B01027FFFFF\r\n:", Named("app.hex"), HexTiTagged, {},
     HexError(QStringLiteral("The record's checksum is FFFF; its characters need FDCA.")), true, "line 2"},
    {"UnknownTag", kTiTaggedHeader + "90100X0102\r\n:", Named("app.hex"), HexTiTagged, {},
     HexError(QStringLiteral("Tag 'X' is unknown.")), true, "line 2"},
    {"NoEndTag", kTiTaggedHeader + TiTaggedRecord("90100B0102"), Named("app.hex"), HexTiTagged,
     {{0x100, Bytes({1, 2})}}, HexError(QStringLiteral("The file ends without its end tag ':'.")), true, "line 3"},
    {"ShortProgramHeader", "K0003\r\n:", Named("app.hex"), HexTiTagged, {},
     HexError(QStringLiteral("A program header of 3 characters is too short.")), true, "line 1"},
    {"HeaderCutOff", "K00FFAPP", Named("app.hex"), HexTiTagged, {},
     HexError(QStringLiteral("The header is cut off by the end of the file.")), true, "line 1"},
    {"BadDigit", kTiTaggedHeader + "9010GB0102\r\n:", Named("app.hex"), HexTiTagged, {}, HexError(kBadDigit), true, "line 2"},
};

INSTANTIATE_TEST_SUITE_P(TiTagged, HexImageReaderCases, ::testing::ValuesIn(kTiTaggedCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ReaderCase kTiTxtCases[] = {
    {"Sections", "@F000\r\n31 40 00 03\r\nb2 40\r\n@FFFE\n00 F0\nq\n", Named("app.txt"), HexTiTxt,
     {{0xF000, Bytes({0x31, 0x40, 0x00, 0x03, 0xB2, 0x40})}, {0xFFFE, Bytes({0x00, 0xF0})}}, {}, false},
    {"LongSectionSpansRecords", "@12345\n" + Pattern(300).toHex(' ') + "\nq", Named("app.txt", 4096), HexTiTxt,
     {{0x12345, Pattern(300)}}, {}, false},
    {"NoEndMark", "@100\n01 02\n", Named("app.txt"), HexTiTxt, {},
     HexError(QStringLiteral("The file ends without its end mark 'q'.")), true, "line 3"},
    {"ThreeDigits", "@100\n01 023\nq\n", Named("app.txt"), HexTiTxt, {},
     HexError(QStringLiteral("Byte values must be two hexadecimal digits between blanks.")), true, "line 2"},
    {"BadDigit", "@100\n01 0G\nq\n", Named("app.txt"), HexTiTxt, {},
     HexError(kBadDigit), true, "line 2"},
    {"AddressWithoutDigits", "@100\n01\n@\n02\nq\n", Named("app.txt"), HexTiTxt, {{0x100, Bytes({1})}},
     HexError(QStringLiteral("A section address must be hexadecimal digits after '@'.")), true, "line 3"},
    {"NineAddressDigits", "@123456789\n01\nq\n", Named("app.txt"), HexTiTxt, {},
     HexError(QStringLiteral("The section address has more than 8 digits.")), true, "line 1"},
};

INSTANTIATE_TEST_SUITE_P(TiTxt, HexImageReaderCases, ::testing::ValuesIn(kTiTxtCases),
                         [](const auto &info) { return std::string(info.param.name); });

QByteArray ElfWith(int offset, quint32 value, bool bigEndian = false)
{
    TestElf elf(bigEndian);
    if (offset >= 0)
        elf.Put32(offset, value);
    return elf.bytes;
}

const QByteArray kText = Pattern(8, 1);
const QByteArray kDataBytes = QByteArray("\x11\x22\x33\x44");
const int kPhdr1 = TestElf::kProgramHeaders + 32;

const ReaderCase kElfCases[] = {
    {"LittleEndian", ElfWith(-1, 0), Named("app.elf"), HexElf, {{TestElf::kText, kText}, {TestElf::kData, kDataBytes}}, {},
     false},
    {"BigEndian", ElfWith(-1, 0, true), Named("app.elf"), HexElf, {{TestElf::kText, kText}, {TestElf::kData, kDataBytes}},
     {}, false},
    {"SegmentsInAddressOrder", ElfWith(TestElf::kProgramHeaders + 12, 0x20000), Named("app.elf", 4), HexElf,
     {{TestElf::kData, kDataBytes}, {0x20000, kText.left(4)}, {0x20004, kText.mid(4)}}, {}, false},
    {"WordAddressedProcessor", ElfWith(-1, 0), Named("app.elf", 256, 2), HexElf, {},
     HexError(QStringLiteral("An ELF file gives byte addresses, and this processor counts addresses in units of 2 bytes.")), true, ""},
    {"SegmentPastTheEnd", ElfWith(kPhdr1 + 4, 322), Named("app.elf"), HexElf, {},
     HexError(QStringLiteral("The ELF file cannot be read: segment 1 runs past the end of the file.")), true, ""},
    {"SegmentPastTheAddressSpace", ElfWith(kPhdr1 + 12, 0xFFFFFFF8), Named("app.elf"), HexElf, {},
     HexError(QStringLiteral("The ELF file cannot be read: segment 1 runs past the end of the address space.")), true, ""},
    {"TablePastTheEnd", ElfWith(28, 300), Named("app.elf"), HexElf, {},
     HexError(QStringLiteral("The ELF file cannot be read: the program header table runs past the end of the file.")), true, ""},
    {"ShortFile", ElfWith(-1, 0).left(40), Named("app.elf"), HexElf, {},
     HexError(QStringLiteral("The ELF file cannot be read: the file is shorter than an ELF header.")), true, ""},
    {"SixtyFourBit", ElfWith(-1, 0).replace(4, 1, "\x02"), Named("app.elf"), HexElf, {},
     HexError(QStringLiteral("The ELF file cannot be read: it is not a 32-bit ELF file.")), true, ""},
};

INSTANTIATE_TEST_SUITE_P(Elf, HexImageReaderCases, ::testing::ValuesIn(kElfCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ReaderCase kBinaryCases[] = {
    {"AnyContentFromAddressZero", SRecord('1', 0x10, Pattern(2)), Named("app.bin", 4), HexBinary,
     {{0, SRecord('1', 0x10, Pattern(2)).left(4)}, {4, SRecord('1', 0x10, Pattern(2)).mid(4, 4)},
      {8, SRecord('1', 0x10, Pattern(2)).mid(8, 4)}, {12, SRecord('1', 0x10, Pattern(2)).mid(12)}},
     {}, false},
    {"UpperCaseName", Pattern(300), Named("APP.BIN", 4096), HexBinary, {{0, Pattern(300)}}, {}, false},
    {"WordsCountUnits", Pattern(6), Named("app.bin", 4, 2), HexBinary, {{0, Pattern(4)}, {2, Pattern(2, 4)}}, {}, false},
    {"EmptyFile", {}, Named("app.bin"), HexBinary, {}, {}, false},
    {"OtherNamesAreNoBinary", Pattern(16), Named("app.bin.old"), HexUnknown, {},
     QStringLiteral("*** Error *** Unknown Hex File Format."), true},
};

INSTANTIATE_TEST_SUITE_P(Binary, HexImageReaderCases, ::testing::ValuesIn(kBinaryCases),
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
