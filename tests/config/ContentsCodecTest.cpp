#include "ContentsBuilder.h"
#include "config/ContentsCodec.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

using Status = CContentsCodec::Status;

CDocumentFields RoundTrip(const CDocumentFields &fields)
{
    CDocumentFields read;
    const CContentsCodec::Result result = CContentsCodec::Decode(CContentsCodec::Encode(fields), read);
    EXPECT_EQ(result.status, Status::Loaded);
    EXPECT_EQ(result.storedSchema, 4);
    return read;
}

TEST(ContentsCodec, NewDocumentIs54BytesInStoredOrder)
{
    const QByteArray expected = QByteArray::fromHex(
        "0400"               // schema
        "00"                 // hex command file
        "00000000"           // sub-family
        "00000000" "00000000" // flash base, size
        "00"                 // file to burn
        "00000000"           // image offset
        "00"                 // target component file
        "0100" "0100"        // verify, boot address
        "01000000"           // connection selector, high part
        "0c446973636f6e6e6563746564" // "Disconnected"
        "00000000" "00000000" "00000000"); // low part, family, override
    EXPECT_EQ(CContentsCodec::Encode(CDocumentFields::NewDocument()).toHex(), expected.toHex());
    EXPECT_EQ(expected.size(), 54);
}

TEST(ContentsCodec, EveryFieldRoundTrips)
{
    // Distinct values everywhere, so that two fields read in each other's place show.
    CDocumentFields fields;
    fields.m_strHexCmdFile = QStringLiteral("/work/conv.cmd");
    fields.m_nSubfamily = 0x64;
    fields.m_nFlashBase = 0x90000000;
    fields.m_nFlashSize = 0xFFFFFFFF;
    fields.m_strBurnFile = QStringLiteral("board image ä€.hex");
    fields.m_nImageOffset = 0x12345678;
    fields.m_strCvtcFile = QStringLiteral("cvtc.out");
    fields.m_bVerifyWrite = 0;
    fields.m_bWriteBootAddr = 0xFFFF;
    fields.m_nConnSelHigh = -1;
    fields.m_strConnection = QStringLiteral("Simulator 64x (CPU)");
    fields.m_nConnSelLow = 0x00ABCDEF;
    fields.m_nFamily = 470;
    fields.m_bOverrideFlash = 3;
    EXPECT_EQ(RoundTrip(fields), fields);
}

TEST(ContentsCodec, OverrideOffLoadsBaseAndSizeAsZero)
{
    CDocumentFields fields;
    fields.m_nFlashBase = 0x1000;
    fields.m_nFlashSize = 0x2000;
    fields.m_nImageOffset = 0x30;
    fields.m_bOverrideFlash = 0;
    const CDocumentFields read = RoundTrip(fields);
    EXPECT_EQ(read.m_nFlashBase, 0u);
    EXPECT_EQ(read.m_nFlashSize, 0u);
    EXPECT_EQ(read.m_nImageOffset, 0x30u);
    fields.m_bOverrideFlash = 7;
    EXPECT_EQ(RoundTrip(fields).m_nFlashBase, 0x1000u);
}

struct PrefixCase {
    int length;
    const char *prefixHex;
};

void PrintTo(const PrefixCase &c, std::ostream *out)
{
    *out << "length " << c.length;
}

class StringPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(StringPrefix, LengthPrefixAndRoundTrip)
{
    CDocumentFields fields;
    fields.m_strHexCmdFile = QString(GetParam().length, u'a');
    const QByteArray stream = CContentsCodec::Encode(fields);
    const QByteArray prefix = QByteArray::fromHex(GetParam().prefixHex);
    EXPECT_EQ(stream.mid(2, prefix.size()).toHex(), prefix.toHex());
    EXPECT_EQ(stream.mid(2 + prefix.size(), GetParam().length), QByteArray(GetParam().length, 'a'));
    EXPECT_EQ(RoundTrip(fields).m_strHexCmdFile, fields.m_strHexCmdFile);
}

INSTANTIATE_TEST_SUITE_P(Lengths, StringPrefix, ::testing::Values(
    PrefixCase{0, "00"}, PrefixCase{254, "fe"}, PrefixCase{255, "ffff00"}, PrefixCase{300, "ff2c01"},
    PrefixCase{65533, "fffdff"}, PrefixCase{65534, "ffffff" "feff0000"}, PrefixCase{70000, "ffffff" "70110100"}));

TEST(ContentsCodec, LengthCountsUtf8Bytes)
{
    CDocumentFields fields;
    fields.m_strHexCmdFile = QStringLiteral("ä€");  // 2 + 3 bytes
    EXPECT_EQ(quint8(CContentsCodec::Encode(fields).at(2)), 5);
}

TEST(ContentsCodec, LeadingByteOrderMarkIsKept)
{
    CDocumentFields fields;
    fields.m_strBurnFile = QStringLiteral("\uFEFFa.hex");
    EXPECT_EQ(RoundTrip(fields).m_strBurnFile, fields.m_strBurnFile);
}

// A schema-4 stream whose field 2 is `hexCmdFile`, given as raw bytes.
QByteArray Schema4WithHexCmdFile(const QByteArray &hexCmdFile)
{
    return ContentsBuilder()
        .U16(4).Raw(hexCmdFile).U32(0x54).U32(0).U32(0).Str("").U32(0).Str("").U16(1).U16(1)
        .U32(1).Str("Disconnected").U32(0).U32(320).U32(0)
        .Bytes();
}

QByteArray Utf16Le(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

TEST(ContentsCodec, WideStringsReadAsUtf8Text)
{
    const QString text = QStringLiteral("Grüße ✓ \U0001F600");
    const QByteArray utf16 = Utf16Le(text);
    const QList<QByteArray> encodings = {
        ContentsBuilder().U8(0xFF).U16(0xFFFE).U8(quint8(text.size())).Raw(utf16).Bytes(),
        ContentsBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(quint16(text.size())).Raw(utf16).Bytes(),
        ContentsBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(quint32(text.size())).Raw(utf16).Bytes(),
    };
    for (const QByteArray &encoding : encodings) {
        CDocumentFields fields;
        ASSERT_EQ(CContentsCodec::Decode(Schema4WithHexCmdFile(encoding), fields).status, Status::Loaded);
        EXPECT_EQ(fields.m_strHexCmdFile.toUtf8(), text.toUtf8());
        EXPECT_EQ(fields.m_nSubfamily, 0x54);
        EXPECT_EQ(fields.m_nFamily, 320);
    }
}

struct OlderSchemaCase {
    quint16 schema;
    QByteArray stream;
    const char *hexCmdFile;
    qint32 subfamily;
    quint16 writeBootAddr;
};

TEST(ContentsCodec, OlderSchemasLoadWithDefaults)
{
    // Base 0x8000, size 0x4000, offset 0x10, "a.hex", "c.out", verify 0 in every one.
    const auto common = [](ContentsBuilder b) {
        return b.U32(0x8000).U32(0x4000).Str("a.hex").U32(0x10).Str("c.out").U16(0);
    };
    const QList<OlderSchemaCase> cases = {
        {0, common(ContentsBuilder().U16(0).U16(0x55)).Bytes(), "", 0x55, 1},
        {1, common(ContentsBuilder().U16(1).Str("old.cmd").U16(0x54)).U16(0).Bytes(), "", 0x54, 0},
        {2, common(ContentsBuilder().U16(2).Str("x.cmd").U16(0xFFFF)).U16(0).Bytes(), "x.cmd", 0xFFFF, 0},
        {3, common(ContentsBuilder().U16(3).Str("x.cmd").U32(0x28)).U16(1).Bytes(), "x.cmd", 0x28, 1},
    };
    for (const OlderSchemaCase &c : cases) {
        SCOPED_TRACE(c.schema);
        CDocumentFields fields;
        const CContentsCodec::Result result = CContentsCodec::Decode(c.stream, fields);
        ASSERT_EQ(result.status, Status::Loaded);
        EXPECT_EQ(result.storedSchema, c.schema);
        EXPECT_EQ(fields.m_wSchema, 4);
        EXPECT_EQ(fields.m_strHexCmdFile, QString::fromLatin1(c.hexCmdFile));
        EXPECT_EQ(fields.m_nSubfamily, c.subfamily);
        EXPECT_EQ(fields.m_nFlashBase, 0x8000u);
        EXPECT_EQ(fields.m_nFlashSize, 0x4000u);
        EXPECT_EQ(fields.m_strBurnFile, QStringLiteral("a.hex"));
        EXPECT_EQ(fields.m_nImageOffset, 0x10u);
        EXPECT_EQ(fields.m_strCvtcFile, QStringLiteral("c.out"));
        EXPECT_EQ(fields.m_bVerifyWrite, 0);
        EXPECT_EQ(fields.m_bWriteBootAddr, c.writeBootAddr);
        EXPECT_EQ(fields.m_nConnSelHigh, 0);
        EXPECT_EQ(fields.m_strConnection, QStringLiteral("Disconnected"));
        EXPECT_EQ(fields.m_nConnSelLow, 0);
        EXPECT_EQ(fields.m_nFamily, 320);
        EXPECT_EQ(fields.m_bOverrideFlash, 0);
        // Nothing may be left over: the same stream one byte shorter is refused.
        CDocumentFields shorter;
        EXPECT_NE(CContentsCodec::Decode(c.stream.chopped(1), shorter).status, Status::Loaded);
    }
}

TEST(ContentsCodec, LaterSchemaReadsNothing)
{
    CDocumentFields fields;
    fields.m_strBurnFile = QStringLiteral("kept");
    const CContentsCodec::Result result = CContentsCodec::Decode(ContentsBuilder().U16(5).Bytes(), fields);
    EXPECT_EQ(result.status, Status::LaterSchema);
    EXPECT_EQ(result.storedSchema, 5);
    EXPECT_EQ(fields.m_strBurnFile, QStringLiteral("kept"));
}

TEST(ContentsCodec, EveryCutShortStreamIsRefusedAndChangesNothing)
{
    CDocumentFields full = CDocumentFields::NewDocument();
    full.m_strBurnFile = QString(300, u'b');
    full.m_strConnection = QStringLiteral("Simulator 54x (CPU)");
    const QByteArray stream = CContentsCodec::Encode(full);
    for (qsizetype length = 0; length < stream.size(); ++length) {
        CDocumentFields fields;
        const Status status = CContentsCodec::Decode(stream.left(length), fields).status;
        EXPECT_TRUE(status == Status::CutShort || status == Status::StringBeyondEnd) << length;
        EXPECT_EQ(fields, CDocumentFields()) << length;
    }
    CDocumentFields fields;
    EXPECT_EQ(CContentsCodec::Decode(stream + "trailing", fields).status, Status::Loaded);
    EXPECT_EQ(fields, full);
}

TEST(ContentsCodec, StringLengthsBeyondTheEndAreRefused)
{
    const QList<QByteArray> hexCmdFiles = {
        ContentsBuilder().U8(200).Raw("short").Bytes(),
        ContentsBuilder().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFE).Bytes(),
        ContentsBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFF).Bytes(),
        ContentsBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFE).Bytes(),
    };
    for (const QByteArray &hexCmdFile : hexCmdFiles) {
        CDocumentFields fields;
        EXPECT_EQ(CContentsCodec::Decode(Schema4WithHexCmdFile(hexCmdFile), fields).status, Status::StringBeyondEnd)
            << hexCmdFile.toHex().constData();
    }
}

} // namespace
