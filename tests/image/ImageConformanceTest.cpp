// Reads images that srec_cat writes from random data and compares every byte
// and address with srec_cat's own binary reading of the same file.
#include "ImageReading.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

const QString kSrecCat = QStringLiteral("srec_cat");

struct Piece {
    quint64 byteAddress = 0;
    QByteArray data;
};

struct ConformanceCase {
    const char *name;
    HexFormat format;
    int bytesPerUnit;
    quint64 base;          // byte address of the first piece
    bool gaps;
    int recordBytes;       // srec_cat's output block size
    unsigned seed;
    int maxPieceUnits = 900; // large pieces make the text span several input buffers
};

QList<Piece> RandomPieces(const ConformanceCase &c)
{
    std::mt19937 random(c.seed);
    const int unit = c.bytesPerUnit;
    QList<Piece> pieces;
    quint64 address = c.base;
    for (int i = 0; i < 4; ++i) {
        Piece piece;
        piece.byteAddress = address;
        piece.data.resize(qsizetype(std::uniform_int_distribution<int>(1, c.maxPieceUnits)(random) * unit));
        for (char &byte : piece.data)
            byte = char(random());
        address += quint64(piece.data.size());
        if (c.gaps)
            address += quint64(std::uniform_int_distribution<int>(1, 300)(random) * unit);
        pieces.append(piece);
    }
    return pieces;
}

bool IsSRecords(HexFormat format)
{
    return format == HexS1 || format == HexS2 || format == HexS3;
}

QStringList FormatArguments(const ConformanceCase &c)
{
    switch (c.format) {
    case HexTiAscii: return {QStringLiteral("-ascii_hex")};
    case HexIntel: return {QStringLiteral("-intel")};
    case HexTektronix: return {QStringLiteral("-tektronix")};
    case HexTektronixExtended: return {QStringLiteral("-tektronix-extended")};
    case HexTiTagged: return {QStringLiteral("-ti-tagged")};
    case HexTiTxt: return {QStringLiteral("-ti-txt")};
    case HexBinary: return {QStringLiteral("-binary")};
    default: break;
    }
    QStringList arguments = {QStringLiteral("-motorola")};
    if (c.bytesPerUnit == 2)
        arguments << QStringLiteral("2");
    return arguments;
}

// srec_cat writes STX and a blank where the reader expects STX CR LF, and a
// "$S" checksum field after the ETX. On word-addressed targets the address
// fields count 16-bit units.
QByteArray AdaptAsciiHex(QByteArray text, int bytesPerUnit)
{
    if (text.startsWith("\x02 "))
        text.replace(0, 2, "\x02\r\n");
    text.truncate(text.indexOf('\x03') + 1);
    if (bytesPerUnit == 1)
        return text;
    QString adapted = QString::fromLatin1(text);
    static const QRegularExpression field(QStringLiteral("\\$A([0-9A-Fa-f]+),"));
    QRegularExpressionMatch match;
    for (qsizetype from = 0; (match = field.match(adapted, from)).hasMatch(); from = match.capturedStart() + 3) {
        const quint64 byteAddress = match.captured(1).toULongLong(nullptr, 16);
        adapted.replace(match.capturedStart(1), match.capturedLength(1),
                        QString::number(byteAddress / quint64(bytesPerUnit), 16).toUpper());
    }
    return adapted.toLatin1();
}

class ImageConformance : public ::testing::TestWithParam<ConformanceCase> {
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // Writes the pieces with srec_cat and returns the file's name.
    QString WriteImage(const QList<Piece> &pieces)
    {
        const ConformanceCase &c = GetParam();
        QStringList arguments;
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            QFile file(Path(QStringLiteral("piece%1.bin").arg(i)));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(pieces[i].data);
            arguments << file.fileName() << QStringLiteral("-binary") << QStringLiteral("-offset")
                      << QString::number(pieces[i].byteAddress);
        }
        const QString image = Path(c.format == HexBinary ? QStringLiteral("image.bin") : QStringLiteral("image"));
        arguments << QStringLiteral("-o") << image << FormatArguments(c);
        if (c.format != HexBinary)
            arguments << QStringLiteral("-obs") << QString::number(c.recordBytes);
        if (IsSRecords(c.format))
            arguments << QStringLiteral("-address-length=%1").arg(c.format - HexS1 + 2);
        RunTool(kSrecCat, arguments);
        return image;
    }

    // srec_cat's binary reading of the image from `low` to `high`, gaps filled.
    // srec_cat's TI-Tagged reading fails under -fill, so it reads a plain copy first.
    QByteArray Expected(const QString &image, quint64 low, quint64 high, const char *fill)
    {
        QStringList input = QStringList{image} << FormatArguments(GetParam());
        if (GetParam().format == HexTiTagged) {
            const QString copy = Path(QStringLiteral("copy.srec"));
            RunTool(kSrecCat, input << QStringLiteral("-o") << copy << QStringLiteral("-motorola"));
            input = {copy, QStringLiteral("-motorola")};
        }
        return RunTool(kSrecCat, input
                                             << QStringList{QStringLiteral("-fill"), QString::fromLatin1(fill),
                                                            QString::number(low), QString::number(high),
                                                            QStringLiteral("-offset"), QStringLiteral("-%1").arg(low),
                                                            QStringLiteral("-o"), QStringLiteral("-"),
                                                            QStringLiteral("-binary")});
    }

    QTemporaryDir m_dir;
};

TEST_P(ImageConformance, EveryByteAtItsAddress)
{
    const ConformanceCase &c = GetParam();
    const QList<Piece> pieces = RandomPieces(c);
    const QString image = WriteImage(pieces);
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    if (c.format == HexTiAscii) {
        text = AdaptAsciiHex(text, c.bytesPerUnit);
    } else if (IsSRecords(c.format)) {
        ASSERT_TRUE(text.contains("\nS5") || text.contains("\nS6")) << "srec_cat writes a count record";
    }

    const quint64 low = pieces.first().byteAddress;
    const quint64 high = pieces.last().byteAddress + quint64(pieces.last().data.size());
    const QByteArray expectedZero = Expected(image, low, high, "0x00");
    const QByteArray expectedOnes = Expected(image, low, high, "0xFF");
    ASSERT_EQ(expectedZero.size(), qsizetype(high - low));

    for (int capacity : {2, 6, 31, 256, 768, 4096}) {
        SCOPED_TRACE(capacity);
        ReaderSetup setup;
        setup.capacity = capacity;
        setup.bytesPerUnit = c.bytesPerUnit;
        setup.fileName = image;
        const ImageReading reading = ReadImage(text, setup);
        EXPECT_EQ(reading.format, c.format);
        EXPECT_FALSE(reading.failed);
        EXPECT_FALSE(reading.endless);
        EXPECT_TRUE(reading.error.isEmpty()) << reading.error.toStdString();
        // Both fills agree with the reader only if the reader covers exactly srec_cat's bytes.
        EXPECT_EQ(LayOut(reading.blocks, c.bytesPerUnit, low, high, '\x00'), expectedZero);
        EXPECT_EQ(LayOut(reading.blocks, c.bytesPerUnit, low, high, '\xFF'), expectedOnes);
    }
}

const ConformanceCase kCases[] = {
    {"S1_bytes_gaps", HexS1, 1, 0x0100, true, 32, 1},
    {"S1_bytes_contiguous", HexS1, 1, 0x2000, false, 250, 2},
    {"S1_words_gaps", HexS1, 2, 0x0200, true, 16, 3},
    {"S2_bytes_gaps", HexS2, 1, 0x123456, true, 64, 4},
    {"S2_words_contiguous", HexS2, 2, 0x400000, false, 32, 5},
    {"S3_bytes_gaps", HexS3, 1, 0x80000000, true, 32, 6},
    {"S3_words_gaps", HexS3, 2, 0x90000000, true, 250, 7},
    {"S3_bytes_contiguous", HexS3, 1, 0x00001000, false, 17, 8},
    {"TiAscii_bytes_gaps", HexTiAscii, 1, 0x8000, true, 16, 9},
    {"TiAscii_words_gaps", HexTiAscii, 2, 0x123450, true, 16, 10},
    {"TiAscii_bytes_contiguous", HexTiAscii, 1, 0x0, false, 16, 11},
    {"S3_large_gaps", HexS3, 2, 0x01000000, true, 32, 12, 150000},
    {"TiAscii_large_gaps", HexTiAscii, 1, 0x10000, true, 16, 13, 100000},
    {"Intel_bytes_gaps", HexIntel, 1, 0x1FF00, true, 32, 14},
    {"Intel_bytes_contiguous", HexIntel, 1, 0x8000F000, false, 255, 15, 30000},
    {"Tektronix_bytes_gaps", HexTektronix, 1, 0x0100, true, 32, 17},
    {"Tektronix_bytes_contiguous", HexTektronix, 1, 0x0, false, 250, 18},
    {"TektronixExtended_bytes_gaps", HexTektronixExtended, 1, 0x12345678, true, 100, 19},
    {"TektronixExtended_large", HexTektronixExtended, 1, 0x10000, false, 16, 20, 100000},
    {"TiTagged_bytes_gaps", HexTiTagged, 1, 0x0400, true, 32, 21},
    {"TiTxt_bytes_gaps", HexTiTxt, 1, 0xF000, true, 16, 23},
    {"TiTxt_bytes_large", HexTiTxt, 1, 0x10000, true, 16, 24, 100000},
    {"Binary_bytes", HexBinary, 1, 0x0, false, 0, 25, 100000},
    {"Binary_words", HexBinary, 2, 0x0, false, 0, 26},
};

INSTANTIATE_TEST_SUITE_P(SrecCat, ImageConformance, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ConformanceCase> &info) { return info.param.name; });

} // namespace
