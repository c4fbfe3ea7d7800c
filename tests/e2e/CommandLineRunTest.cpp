// Command-line runs of the corvane binary against the simulator: program,
// verify, dump, erase, further files and the failures a board can show.
#include "SimulatedBoard.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Piece = SimulatedBoard::Piece;

const QStringList kProgram{QStringLiteral("-e"), QStringLiteral("-v")};

QStringList Dump(quint32 start, quint32 length)
{
    return {QStringLiteral("-r"), QStringLiteral("0x%1").arg(start, 0, 16), QStringLiteral("0x%1").arg(length, 0, 16)};
}

// The flash bytes that `pieces` give, from byte 0 of the flash, erased elsewhere.
QByteArray Expected(const QList<Piece> &pieces, quint32 unitBase, int unit, int length)
{
    QByteArray flash(length, char(0xFF));
    for (const Piece &piece : pieces)
        flash.replace(qsizetype(piece.unitAddress - unitBase) * unit, piece.data.size(), piece.data);
    return flash;
}

enum class Form { S1, S2, S3, TiHex, CcsData };

struct ImageCase {
    const char *name;
    Form form;
    const char *subfamily;
    int unit;          // bytes per address unit of the sub-family
    int protocol;
    int buffer;        // the component's buffer (protocols 3 and 4)
    quint32 base;      // flash base in address units
};

// Erases, programs and verifies the image of `c`, then dumps the flash: the
// flash and the dump hold the image where it belongs and erased bytes elsewhere.
void ExpectImageComesBackFromFlash(const SimulatedBoard &board, const ImageCase &c)
{
    constexpr int kFlashBytes = 0x4000;
    board.WriteComponent({QStringLiteral("protocol = %1").arg(c.protocol), QStringLiteral("buffer = %1").arg(c.buffer),
                          QStringLiteral("flash_base = 0x%1").arg(c.base, 0, 16),
                          QStringLiteral("flash_size = 0x%1").arg(kFlashBytes, 0, 16)});
    board.WriteConfig(QStringLiteral("image.hex"), {QStringLiteral("1041 0")});

    QList<Piece> pieces;
    QByteArray expected;
    const quint32 imageBase = c.form == Form::CcsData ? 0 : c.base;
    if (c.form == Form::CcsData) {
        const int wordBytes = c.unit == 2 ? 2 : 4;
        QList<quint32> words;
        const QByteArray random = SimulatedBoard::RandomBytes(3000 * wordBytes, 7);
        QByteArray data;
        for (int i = 0; i < random.size(); i += wordBytes) {
            quint32 word = 0;
            for (int b = 0; b < wordBytes; ++b)
                word = (word << 8) | quint8(random[i + b]);
            words.append(word);
            // The simulated 54x stores words high byte first, the 64x low byte first.
            for (int b = 0; b < wordBytes; ++b)
                data.append(char(word >> (8 * (c.unit == 2 ? wordBytes - 1 - b : b))));
        }
        board.WriteCcsData(QStringLiteral("image.hex"), words, wordBytes);
        pieces = {{0, data}};
    } else {
        const quint32 units = 0x1800 / quint32(c.unit);
        pieces = {{c.base + 0x10, SimulatedBoard::RandomBytes(0x700 * c.unit, 1)},
                  {c.base + units, SimulatedBoard::RandomBytes(0x123 * c.unit, 2)}};
        if (c.form == Form::TiHex)
            board.WriteTiHex(QStringLiteral("image.hex"), pieces);
        else
            board.WriteSRecords(QStringLiteral("image.hex"), pieces, int(c.form) + 2, c.unit);
    }
    expected = Expected(pieces, imageBase, c.unit, kFlashBytes);

    const CorvaneResult program = board.RunConfig(kProgram);
    ASSERT_EQ(program.exitCode, 0) << program.err.constData() << board.Log().constData();
    EXPECT_TRUE(board.Log().contains("is complete.")) << board.Log().constData();
    EXPECT_EQ(board.Flash().toHex(), expected.toHex());

    const CorvaneResult dump = board.RunConfig(Dump(0, kFlashBytes));
    ASSERT_EQ(dump.exitCode, 0) << dump.err.constData() << board.Log().constData();
    QList<quint32> lineOffsets;
    EXPECT_EQ(board.DumpedBytes(nullptr, &lineOffsets).toHex(), expected.toHex());
    ASSERT_GE(lineOffsets.size(), 2);
    EXPECT_EQ(lineOffsets[1], quint32(16 / c.unit));
}

class ProgramVerifyDump : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ProgramVerifyDump, ImageComesBackFromFlash)
{
    const ImageCase &c = GetParam();
    ExpectImageComesBackFromFlash(SimulatedBoard(QString::fromLatin1(c.subfamily)), c);
}

INSTANTIATE_TEST_SUITE_P(Formats, ProgramVerifyDump, ::testing::Values(
    ImageCase{"S1On64x", Form::S1, "64x", 1, 4, 4096, 0x8000},
    ImageCase{"S2On64xProtocol3", Form::S2, "64x", 1, 3, 768, 0x120000},
    ImageCase{"S3On64xProtocol1", Form::S3, "64x", 1, 1, 4096, 0x90000000},
    ImageCase{"S3OnArm9Protocol2", Form::S3, "ARM9", 1, 2, 4096, 0x00400000},
    ImageCase{"TiHexOn64x", Form::TiHex, "64x", 1, 4, 256, 0x8000},
    ImageCase{"S1On54xWords", Form::S1, "54x", 2, 4, 4096, 0x4000},
    ImageCase{"S3On64xSmallBuffer", Form::S3, "64x", 1, 4, 64, 0x8000},
    ImageCase{"S1On54xWordsSmallBuffer", Form::S1, "54x", 2, 3, 36, 0x4000},
    ImageCase{"TiHexOn28xWords", Form::TiHex, "28x", 2, 3, 1000, 0x3F0000},
    ImageCase{"CcsDataOn64x", Form::CcsData, "64x", 1, 4, 4096, 0},
    ImageCase{"CcsDataOn54xWords", Form::CcsData, "54x", 2, 2, 4096, 0}),
    [](const ::testing::TestParamInfo<ImageCase> &info) { return std::string(info.param.name); });

// The same through each ccs bridge and its API double.
class ProgramVerifyDumpThroughCcs : public ::testing::TestWithParam<std::tuple<ImageCase, const char *>> {};

TEST_P(ProgramVerifyDumpThroughCcs, ImageComesBackFromFlash)
{
    const auto &[c, api] = GetParam();
    ExpectImageComesBackFromFlash(
        SimulatedBoard(SimulatedBoard::OnCcs {QString::fromLatin1(c.subfamily), QString::fromLatin1(api), {}}), c);
}

INSTANTIATE_TEST_SUITE_P(Formats, ProgramVerifyDumpThroughCcs, ::testing::Combine(::testing::Values(
    ImageCase{"S1On64x", Form::S1, "64x", 1, 4, 4096, 0x8000},
    ImageCase{"TiHexOn28xWords", Form::TiHex, "28x", 2, 4, 1000, 0x3F0000},
    ImageCase{"S3OnArm9Protocol2", Form::S3, "ARM9", 1, 2, 4096, 0x00400000}),
    ::testing::Values("scripting", "dss")),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + "Through" + std::get<1>(info.param);
    });

// The same image in every format, as the document's File To Burn, gives the same flash.
TEST(CommandLineRunFormats, EveryFormatGivesTheSameFlash)
{
    using Form = SimulatedBoard::ImageForm;
    SimulatedBoard board(QStringLiteral("64x"));
    constexpr quint32 kBase = 0x8000;
    constexpr int kFlashBytes = 0x4000;
    board.WriteComponent({QStringLiteral("flash_base = 0x8000"), QStringLiteral("flash_size = 0x4000")});
    const QList<Piece> pieces = {{kBase + 0x10, SimulatedBoard::RandomBytes(0x700, 21)},
                                 {kBase + 0x1800, SimulatedBoard::RandomBytes(0x123, 22)}};
    const QByteArray expected = Expected(pieces, kBase, 1, kFlashBytes);
    const struct {
        const char *file;
        Form form;
        const char *imageOffset;   // binary data starts at 0
    } cases[] = {
        {"image.s37", Form::SRecords, "0"},        {"image.hex", Form::TiHex, "0"},
        {"image.ihex", Form::Intel, "0"},          {"image.tek", Form::Tektronix, "0"},
        {"image.hex", Form::TektronixExtended, "0"}, {"image.hex", Form::TiTagged, "0"},
        {"image.txt", Form::TiTxt, "0"},           {"image.elf", Form::Elf, "0"},
        {"image.bin", Form::Binary, "0x10"},
    };
    for (const auto &c : cases) {
        const QString file = QString::fromLatin1(c.file);
        SCOPED_TRACE(int(c.form));
        board.WriteImage(file, pieces, c.form);
        board.WriteConfig(file, {QStringLiteral("1018 %1").arg(QLatin1String(c.imageOffset))});
        const CorvaneResult r = board.RunConfig(kProgram);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData() << board.Log().constData();
        EXPECT_EQ(board.Flash().toHex(), expected.toHex());
    }
    // On the command line an ELF file is programmed, not sent as user data.
    board.WriteConfig(QStringLiteral("none.hex"));
    const CorvaneResult r = board.RunConfig({QStringLiteral("-e"), QStringLiteral("image.elf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData() << board.Log().constData();
    EXPECT_EQ(board.Flash().toHex(), expected.toHex());
    EXPECT_TRUE(board.UserData().isEmpty());
}

class CommandLineRun : public ::testing::Test {
protected:
    CommandLineRun()
        : board(QStringLiteral("64x"))
    {
        board.WriteComponent({QStringLiteral("flash_base = 0x8000"), QStringLiteral("flash_size = 0x1000")});
        board.WriteConfig(QStringLiteral("a.hex"));
    }
    void WriteImage(const QString &name, quint32 address, const QByteArray &data)
    {
        board.WriteSRecords(name, {{address, data}}, 4, 1);
    }

    SimulatedBoard board;
};

TEST_F(CommandLineRun, EraseThenDumpGivesErasedFlash)
{
    WriteImage(QStringLiteral("a.hex"), 0x8000, SimulatedBoard::RandomBytes(0x1000, 3));
    ASSERT_EQ(board.RunConfig({}).exitCode, 0);
    const CorvaneResult r = board.RunConfig(QStringList{QStringLiteral("-e")} + Dump(0, 0x1000));
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(board.DumpedBytes(), QByteArray(0x1000, char(0xFF)));
}

TEST_F(CommandLineRun, ProgrammingOverProgrammedFlashFailsVerification)
{
    WriteImage(QStringLiteral("a.hex"), 0x8000, QByteArray(64, char(0x0F)));
    ASSERT_EQ(board.RunConfig({}).exitCode, 0);
    WriteImage(QStringLiteral("a.hex"), 0x8000, QByteArray(64, char(0xF0)));
    const CorvaneResult r = board.RunConfig({});
    EXPECT_EQ(r.exitCode, 1);
    // The block read back says where it differs and why.
    EXPECT_TRUE(board.Log().contains("Checksum Error: host checksum = ")) << board.Log().constData();
    EXPECT_TRUE(board.Log().contains("First difference at 0x8000: the image has 0xF0, the flash holds 0x00.\r\n"
                                     "64 of 64 bytes of the block differ.\r\n"
                                     "Flash at 0x8000 needs erasing: it holds 0x00 where the image has 0xF0.\r\n"))
        << board.Log().constData();
    EXPECT_FALSE(board.Log().contains("is complete."));
    // NOR flash: the second image could only clear bits.
    EXPECT_EQ(board.Flash().left(64), QByteArray(64, char(0x00)));
}

// The names of every field in `value`, as "outcome.exit_status" and "operations[].kind".
QSet<QString> FieldNames(const QJsonValue &value, const QString &prefix = {})
{
    QSet<QString> names;
    if (value.isArray()) {
        for (const QJsonValue &element : value.toArray())
            names += FieldNames(element, prefix + QStringLiteral("[]"));
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QString name = prefix.isEmpty() ? it.key() : prefix + u'.' + it.key();
            names += name;
            names += FieldNames(it.value(), name);
        }
    }
    return names;
}

// The example report of docs/command-line.md.
QJsonObject DocumentedReport()
{
    QFile file(QStringLiteral(CORVANE_SOURCE_DIR "/docs/command-line.md"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const qsizetype start = text.indexOf("```json\n") + 8;
    return QJsonDocument::fromJson(text.mid(start, text.indexOf("```", start) - start)).object();
}

QJsonObject ReadReport(const SimulatedBoard &board, const char *name)
{
    return QJsonDocument::fromJson(board.ReadFile(QString::fromLatin1(name))).object();
}

TEST_F(CommandLineRun, ChangedOnlyWritesTheChangedBlocksAndReportsThem)
{
    board.WriteComponent({QStringLiteral("flash_base = 0x8000"), QStringLiteral("flash_size = 0x1000"),
                          QStringLiteral("buffer = 256")});
    QByteArray image = SimulatedBoard::RandomBytes(0x1000, 9);
    WriteImage(QStringLiteral("a.hex"), 0x8000, image);
    // The longest time-out, with the erase estimate on top, still fits the answer timer.
    ASSERT_EQ(board.RunConfig(Words("-e --timeout 2147483")).exitCode, 0);
    // One block changes, by clearing bits only.
    image[0x510] = char(quint8(image[0x510]) & 0x0F ^ 0x01);
    image[0x511] = char(quint8(image[0x511]) & 0xF0);
    WriteImage(QStringLiteral("a.hex"), 0x8000, image);
    const CorvaneResult r = board.RunConfig(Words("--changed-only --report report.json"));
    ASSERT_EQ(r.exitCode, 0) << board.Log().constData();
    EXPECT_EQ(board.Flash(), image);
    EXPECT_TRUE(board.Log().contains("Written: 256 bytes, skipped: 3840 unchanged bytes.\r\n")) << board.Log().constData();

    const QJsonObject report = ReadReport(board, "report.json");
    const QJsonObject program = report[QStringLiteral("operations")].toArray().last().toObject();
    EXPECT_EQ(program[QStringLiteral("kind")].toString(), QStringLiteral("program"));
    EXPECT_EQ(program[QStringLiteral("bytes_written")].toInt(), 256);
    EXPECT_EQ(program[QStringLiteral("bytes_skipped")].toInt(), 3840);
    EXPECT_EQ(program[QStringLiteral("file")].toString(), board.Path(QStringLiteral("a.hex")));
    EXPECT_EQ(report[QStringLiteral("outcome")][QStringLiteral("exit_status")].toInt(), 0);
    EXPECT_EQ(report[QStringLiteral("target")][QStringLiteral("buffer_bytes")].toInt(), 256);
    EXPECT_EQ(report[QStringLiteral("target")][QStringLiteral("flash_base")].toInteger(), 0x8000);

    // After an erase every block differs; the report holds the documented fields.
    const CorvaneResult full = board.RunConfig(Words("-e --changed-only --report report.json"));
    EXPECT_EQ(full.exitCode, 0) << board.Log().constData();
    const QJsonObject fullReport = ReadReport(board, "report.json");
    QStringList kinds;
    for (const QJsonValue &operation : fullReport[QStringLiteral("operations")].toArray()) {
        kinds << operation[QStringLiteral("kind")].toString();
        EXPECT_EQ(operation[QStringLiteral("result")].toString(), QStringLiteral("succeeded")) << kinds.last().toStdString();
    }
    EXPECT_EQ(kinds, Words("handshake erase program"));
    const QSet<QString> documented = FieldNames(DocumentedReport());
    const QSet<QString> written = FieldNames(fullReport);
    EXPECT_TRUE(documented.contains(written)) << (written - documented).values().join(u' ').toStdString();
    EXPECT_TRUE(written.contains(documented - QSet<QString>{QStringLiteral("operations[].bytes_read")}))
        << (documented - written).values().join(u' ').toStdString();

    // A byte that would need a bit set, in a later block than one that could be written, fails before any write.
    image[0x30] = char(0xFF);
    image[0xF00] = char(0x00);
    WriteImage(QStringLiteral("a.hex"), 0x8000, image);
    ASSERT_EQ(board.RunConfig(Words("-e")).exitCode, 0);
    const QByteArray programmed = board.Flash();
    image[0x30] = char(0x00);
    image[0xF00] = char(0xFF);
    WriteImage(QStringLiteral("a.hex"), 0x8000, image);
    const CorvaneResult refused = board.RunConfig(Words("--changed-only --report report.json"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(board.Log().contains("Flash at 0x8F00 needs erasing: it holds 0x00 where the image has 0xFF.\r\n"))
        << board.Log().constData();
    EXPECT_EQ(board.Flash(), programmed);
    const QJsonObject failed = ReadReport(board, "report.json");
    EXPECT_EQ(failed[QStringLiteral("outcome")][QStringLiteral("result")].toString(), QStringLiteral("failed"));
    EXPECT_TRUE(failed[QStringLiteral("outcome")][QStringLiteral("message")].toString().contains(
        QStringLiteral("needs erasing")));
}

TEST_F(CommandLineRun, ReportCountsOnlyTheBytesTheTargetSent)
{
    // Every answer to ReadFlash carries another command: not one byte is read.
    board.WriteComponent({QStringLiteral("flash_base = 0x8000"), QStringLiteral("flash_size = 0x1000"),
                          QStringLiteral("fault.wrong_echo = 6")});
    const CorvaneResult r = board.RunConfig(Dump(0, 0x2000) + Words("--report report.json"));
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject dump = ReadReport(board, "report.json")[QStringLiteral("operations")].toArray().last().toObject();
    EXPECT_EQ(dump[QStringLiteral("kind")].toString(), QStringLiteral("save_flash_data"));
    EXPECT_EQ(dump[QStringLiteral("result")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(dump[QStringLiteral("bytes_read")].toInt(-1), 0);
}

TEST_F(CommandLineRun, DumpOfOddRangeStartsEvenAndRoundsLengthUp)
{
    WriteImage(QStringLiteral("a.hex"), 0x8000, SimulatedBoard::RandomBytes(0x20, 4));
    ASSERT_EQ(board.RunConfig({}).exitCode, 0);
    ASSERT_EQ(board.RunConfig(Dump(0x11, 5)).exitCode, 0);
    quint32 first = 0;
    EXPECT_EQ(board.DumpedBytes(&first), board.Flash().mid(0x10, 6));
    EXPECT_EQ(first, 0x10u);
}

TEST_F(CommandLineRun, FurtherFilesRunInOrder)
{
    // A fake conversion utility that writes the image named in its command file.
    WriteImage(QStringLiteral("a.hex"), 0x8000, QByteArray(16, char(0x11)));
    WriteImage(QStringLiteral("later.bin"), 0x8100, QByteArray(16, char(0x22)));
    board.WriteFile(QStringLiteral("b.cmd"), "later.bin b_out.hex\n");
    const QString path =
        board.WriteProgram(QStringLiteral("hex6x"), "#!/bin/sh\nset -e\nread from to < \"$1\"\ncp \"$from\" \"$to\"\n");
    const QByteArray userData = SimulatedBoard::RandomBytes(5000, 5);
    board.WriteFile(QStringLiteral("c.bin"), userData);
    board.WriteFile(QStringLiteral("empty.bin"), QByteArray());

    const CorvaneResult r = board.Run(
        {QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("-c"), QStringLiteral("-v"),
         QStringLiteral("a.hex"), QStringLiteral("b.cmd"), QStringLiteral("b_out.hex"), QStringLiteral("empty.bin"),
         QStringLiteral("c.bin")},
        {path});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData() << board.Log().constData();
    EXPECT_EQ(board.Flash().left(16), QByteArray(16, char(0x11)));
    EXPECT_EQ(board.Flash().mid(0x100, 16), QByteArray(16, char(0x22)));
    EXPECT_EQ(board.UserData(), userData);
    const QByteArray log = board.Log();
    EXPECT_EQ(log.count("is complete."), 2);
    EXPECT_LT(log.lastIndexOf("is complete."), log.indexOf("Sent User File:"));
}

TEST_F(CommandLineRun, HexKindIsFoundAnywhereInName)
{
    WriteImage(QStringLiteral("data.hexfile.txt"), 0x8000, QByteArray(8, char(0x33)));
    const CorvaneResult r = board.RunConfig({QStringLiteral("data.hexfile.txt")});
    ASSERT_EQ(r.exitCode, 0) << board.Log().constData();
    EXPECT_EQ(board.Flash().left(8), QByteArray(8, char(0x33)));
    EXPECT_TRUE(board.UserData().isEmpty());
}

TEST_F(CommandLineRun, BlocksOutsideTheFlashAreRefused)
{
    struct Case {
        quint32 address;
        int length;
        bool accepted;
    };
    // The last unit of the flash is writable, one more is not; below the base wraps around.
    for (const Case &c : {Case{0x8FF0, 16, true}, Case{0x8FF1, 16, false}, Case{0x7FF0, 16, false}}) {
        WriteImage(QStringLiteral("a.hex"), c.address, QByteArray(c.length, char(0x44)));
        const CorvaneResult r = board.RunConfig({QStringLiteral("-e")});
        SCOPED_TRACE(c.address);
        EXPECT_EQ(r.exitCode, c.accepted ? 0 : 1);
        EXPECT_EQ(board.Log().contains("WRITE ERROR: Attempting to write locations\r\n"), !c.accepted)
            << board.Log().constData();
    }
    EXPECT_TRUE(board.Log().contains(" 0xfffffff0 to 0x0\r\nwhich is outside the logical bounds of Flash "
                                     "Memory:\r\n0 to 0x1000\r\n"))
        << board.Log().constData();
}

TEST_F(CommandLineRun, ImageErrorFailsTheRun)
{
    QByteArray image = "S00600004844521B\r\n";
    image += "S1130000000102030405060708090A0B0C0D0E0F74\r\n";
    image += "S1130010000102030405060708090A0B0C0D0E0F00\r\n";  // bad checksum
    board.WriteFile(QStringLiteral("a.hex"), image);
    board.WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x1000")});
    const CorvaneResult r = board.RunConfig({QStringLiteral("-e")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(board.Log().contains("Invalid cksum")) << board.Log().constData();
    EXPECT_FALSE(board.Log().contains("is complete."));
    EXPECT_EQ(board.Flash().left(16).toHex(), QByteArray("000102030405060708090a0b0c0d0e0f"));
}

TEST(CommandLineRunBoot, BootAddressOn54x)
{
    SimulatedBoard board(QStringLiteral("54x"));
    board.WriteComponent({QStringLiteral("flash_base = 0x8010"), QStringLiteral("flash_size = 0x10000")});
    board.WriteConfig(QStringLiteral("a.hex"), {QStringLiteral("1041 1")});
    board.WriteSRecords(QStringLiteral("a.hex"), {{0x8010, QByteArray(1000, char(0x55))}}, 2, 2);
    const CorvaneResult r = board.RunConfig({QStringLiteral("-e"), QStringLiteral("-v")});
    ASSERT_EQ(r.exitCode, 0) << board.Log().constData();
    // Only image bytes count; the boot address goes to word 0xFFFF - 0x8010.
    EXPECT_TRUE(board.Log().contains("Corvane of 1000 bytes is complete.")) << board.Log().constData();
    const quint32 bootByte = (0xFFFF - 0x8010) * 2;
    EXPECT_EQ(board.Flash().mid(bootByte, 2).toHex(), QByteArray("8010"));
}

TEST(CommandLineRun55x, FlashBaseTravelsAsWordAddressWithProtocol4)
{
    // With protocol 4 the component answers the word address 0x4000: the host
    // doubles it to 0x8000, so an image there lands at offset 0 of a small flash.
    for (const auto &[protocol, wireBase] : {std::pair{4, 0x4000}, std::pair{3, 0x8000}}) {
        SimulatedBoard board(QStringLiteral("55x"));
        board.WriteComponent({QStringLiteral("protocol = %1").arg(protocol),
                              QStringLiteral("flash_base = 0x%1").arg(wireBase, 0, 16),
                              QStringLiteral("flash_size = 0x100")});
        board.WriteConfig(QStringLiteral("a.hex"));
        board.WriteSRecords(QStringLiteral("a.hex"), {{0x8000, QByteArray(0x100, char(0x5A))}}, 4, 1);
        const CorvaneResult r = board.RunConfig({QStringLiteral("-e")});
        EXPECT_EQ(r.exitCode, 0) << protocol << board.Log().constData();
        EXPECT_EQ(board.Flash(), QByteArray(0x100, char(0x5A))) << protocol;
    }
}

struct FaultCase {
    const char *name;
    const char *componentLine;
    const char *logText;
    const char *timeout = "2";  // --timeout; none: the default
};

class SimulatorFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatorFault, FailsTheRunWithItsMessage)
{
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x1000"),
                          QString::fromLatin1(GetParam().componentLine)});
    board.WriteConfig(QStringLiteral("a.hex"));
    board.WriteSRecords(QStringLiteral("a.hex"), {{0, SimulatedBoard::RandomBytes(0x400, 6)}}, 2, 1);
    QStringList arguments = Words("board.txt -t -c -e -v");
    if (GetParam().timeout)
        arguments << QStringLiteral("--timeout") << QString::fromLatin1(GetParam().timeout);
    const CorvaneResult r = board.Run(arguments);
    EXPECT_EQ(r.exitCode, 1) << board.Log().constData();
    EXPECT_TRUE(board.Log().contains(GetParam().logText)) << board.Log().constData();
    EXPECT_FALSE(board.Log().contains("is complete."));
}

INSTANTIATE_TEST_SUITE_P(Keys, SimulatorFault, ::testing::Values(
    FaultCase{"StuckBits", "fault.stuck_bits = 0x100:0x80", "Flash at 0x100 needs erasing: it holds 0x"},
    FaultCase{"DropWrite", "fault.drop_write = 1", "Checksum Error: host checksum"},
    FaultCase{"WrongEchoProtocol", "fault.wrong_echo = 1", "Cannot get CVTC Comm Protocol Version ID. (cmd = 0?)\r\n"},
    FaultCase{"WrongEchoBase", "fault.wrong_echo = 4", "Cannot get flash memory base addr. from CVTC.\r\n"},
    FaultCase{"WrongEchoEstimate", "fault.wrong_echo = 17", "Cannot get the erase estimate. (cmd = 0?)\r\n"},
    FaultCase{"NoAnswer", "fault.no_answer = 7", "Target did not answer within 2 seconds.\r\n"},
    FaultCase{"LostAtWrite", "fault.lost_at = 7", "The simulated board's connection was lost.\r\n"},
    FaultCase{"NoAnswerByDefault", "fault.no_answer = 1", "Target did not answer within 30 seconds.\r\n", nullptr},
    FaultCase{"MissingMessage", "fault.missing_symbol = theMessage", "Failed to get msg storage addr\r\n"},
    FaultCase{"MissingBreakpoint", "fault.missing_symbol = doMessageProc", "Failed to get BP addr\r\n"},
    FaultCase{"LoadError", "fault.load_error = 1", "Either I cannot load CVTC, or the CVTC is not compatible"},
    FaultCase{"UnknownProtocol", "protocol = 5", "CVTC's Communications Protocol ID (5) is unknown"},
    FaultCase{"ZeroBuffer", "buffer = 0", "Cannot get max allowed data buffer size from CVTC.\r\n"}),
    [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST(CommandLineRunSetUp, UnknownConnectionAndMissingComponentFail)
{
    SimulatedBoard board(QStringLiteral("99x"));
    board.WriteComponent({});
    board.WriteConfig(QStringLiteral("a.hex"));
    const CorvaneResult r = board.RunConfig({});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(board.Log().contains("is not available.")) << board.Log().constData();

    SimulatedBoard other(QStringLiteral("64x"));
    other.WriteConfig(QStringLiteral("a.hex"));  // component.sim is missing
    const CorvaneResult missing = other.RunConfig({});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(other.Log().contains("Either I cannot load CVTC")) << other.Log().constData();
}

} // namespace

namespace {

// A run of board.txt that waits: `line` on its standard error (or output) says it got there.
QByteArray StartWaiting(QProcess &process, const SimulatedBoard &board, const char *arguments,
                        const QStringList &environment, QProcess::ProcessChannel channel, const char *line,
                        const ChildSetUp &inChild = {})
{
    board.Start(process, Words("board.txt -t -c -v") + Words(arguments), environment, inChild);
    process.setReadChannel(channel);
    QByteArray said;
    while (!said.contains(line) && process.waitForReadyRead(30000))
        said += process.readAll();
    return said;
}

TEST(CommandLineRunSignal, TerminationWritesTheLogAndReportAndFails)
{
    SimulatedBoard board(QStringLiteral("64x"));
    // The target never answers the protocol request, so the run waits until it is ended.
    board.WriteComponent({QStringLiteral("fault.no_answer = 1")});
    board.WriteConfig(QStringLiteral("a.hex"));
    QProcess process;
    StartWaiting(process, board, "--report report.json", {}, QProcess::StandardError, "CVTC Download OK.");
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(board.Log().contains("CVTC Download OK.\r\n")) << board.Log().constData();
    EXPECT_TRUE(board.Log().contains("Run ended by signal 15.\r\n")) << board.Log().constData();
    const QJsonObject report = ReadReport(board, "report.json");
    EXPECT_EQ(report[QStringLiteral("outcome")][QStringLiteral("exit_status")].toInt(), 1);
    EXPECT_EQ(report[QStringLiteral("outcome")][QStringLiteral("message")].toString(),
              QStringLiteral("Run ended by signal 15.\r\n"));
    const QJsonArray operations = report[QStringLiteral("operations")].toArray();
    ASSERT_EQ(operations.size(), 1);
    EXPECT_EQ(operations[0][QStringLiteral("kind")].toString(), QStringLiteral("handshake"));
}

TEST(CommandLineRunLock, OnlyTheUserCanReachTheConnectionLock)
{
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteComponent({QStringLiteral("fault.no_answer = 1")});
    board.WriteConfig(QStringLiteral("a.hex"));
    QProcess process;
    // Without a runtime folder the run makes its own in the temporary folder, whatever the umask.
    const QByteArray said = StartWaiting(process, board, "", {QStringLiteral("XDG_RUNTIME_DIR=")},
                                         QProcess::StandardError, "CVTC Download OK.", [] { ::umask(0); });
    const auto mode = [](const QString &path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
    };
    const QDir folder(board.Path(QStringLiteral("corvane-%1").arg(::getuid())));
    const int folderMode = mode(folder.path());
    const QStringList locks = folder.entryList({QStringLiteral("CVRun-%1-*.lock").arg(::getuid())}, QDir::Files);
    const int lockMode = locks.size() == 1 ? mode(folder.filePath(locks[0])) : -1;
    process.terminate();
    process.waitForFinished(10000);
    EXPECT_EQ(folderMode, 0700) << said.constData();
    EXPECT_EQ(lockMode, 0600) << locks.join(u' ').toStdString();
}

TEST(CommandLineRunBoards, FourBoardsRunTogetherWhileABusyOneRefusesASecondRun)
{
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x8000"),
                          QStringLiteral("buffer = 512")});
    const QByteArray image = SimulatedBoard::RandomBytes(0x8000, 10);
    board.WriteSRecords(QStringLiteral("a.hex"), {{0, image}}, 2, 1);
    board.WriteFile(QStringLiteral("stuck.sim"), "# corvane simulated target component\nfault.no_answer = 1\n");
    board.WriteConfigFor(QStringLiteral("busy.txt"), QStringLiteral("55x"), QStringLiteral("stuck.sim"),
                         QStringLiteral("a.hex"));
    // Two runs on one connection, started together: one runs (its target never answers), the other refuses.
    QProcess busy[2];
    for (QProcess &run : busy)
        board.Start(run, Words("busy.txt -t -c"));
    int refused = -1;
    for (int wait = 0; refused < 0 && wait < 300; ++wait) {
        QProcess &run = busy[wait % 2];
        refused = run.state() == QProcess::NotRunning || run.waitForFinished(50) ? wait % 2 : -1;
    }
    ASSERT_GE(refused, 0);
    QProcess &running = busy[1 - refused];
    EXPECT_EQ(busy[refused].exitCode(), 1);
    EXPECT_TRUE(busy[refused].readAllStandardError().contains("Another copy of Corvane is running."));
    EXPECT_EQ(running.state(), QProcess::Running);

    const QStringList boards{QStringLiteral("64x"), QStringLiteral("67x"), QStringLiteral("62x"), QStringLiteral("ARM9")};
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const QString &subfamily : boards) {
        board.WriteConfigFor(subfamily + QStringLiteral(".txt"), subfamily, QStringLiteral("component.sim"),
                             QStringLiteral("a.hex"));
        runs.push_back(std::make_unique<QProcess>());
        board.Start(*runs.back(), {subfamily + QStringLiteral(".txt"), QStringLiteral("-t"), QStringLiteral("-c"),
                                   QStringLiteral("-e"), QStringLiteral("-o"), subfamily + QStringLiteral(".log")});
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(boards[int(i)].toStdString());
        ASSERT_TRUE(runs[i]->waitForFinished(60000));
        EXPECT_EQ(runs[i]->exitCode(), 0) << runs[i]->readAllStandardError().constData();
        EXPECT_EQ(board.FlashOf(boards[int(i)]), image);
    }
    running.terminate();
    EXPECT_TRUE(running.waitForFinished(10000));
}

class SignalWhileConverting : public ::testing::TestWithParam<QList<int>> {};

// The hex conversion utility says its process id, then waits far longer than any test.
TEST_P(SignalWhileConverting, EndsTheUtilityWritesTheLogAndFails)
{
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteComponent({});
    board.WriteConfig(QStringLiteral("a.hex"));
    board.WriteFile(QStringLiteral("b.cmd"), QByteArray());
    const QString path =
        board.WriteProgram(QStringLiteral("hex6x"), "#!/bin/sh\necho \"utility $$\"\nexec sleep 600\n");
    QProcess process;
    const QByteArray said = StartWaiting(process, board, "b.cmd", {path}, QProcess::StandardOutput, "\n");
    const pid_t utility = said.mid(said.indexOf("utility ") + 8).trimmed().toInt();
    ASSERT_GT(utility, 0) << said.constData();
    for (const int signalNumber : GetParam())
        ::kill(pid_t(process.processId()), signalNumber);
    const bool ended = process.waitForFinished(10000);
    const bool utilityLeft = ::kill(utility, 0) == 0;
    if (utilityLeft)
        ::kill(utility, SIGKILL);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(utilityLeft);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(board.Log().contains(QStringLiteral("Run ended by signal %1.\r\n").arg(GetParam()[0]).toUtf8()))
        << board.Log().constData();
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalWhileConverting,
                         ::testing::Values(QList<int>{SIGTERM}, QList<int>{SIGINT}, QList<int>{SIGHUP},
                                           QList<int>{SIGTERM, SIGTERM}));

} // namespace

namespace {

TEST(CommandLineRunSetUp, NothingToDownloadEndsTheRun)
{
    // A missing text configuration leaves a document without connection and target component.
    SimulatedBoard board(QStringLiteral("64x"));
    const CorvaneResult missing = board.Run({QStringLiteral("missing.txt"), QStringLiteral("-t"), QStringLiteral("-c")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("Cannot open CDD TEXT File.")) << missing.err.constData();

    board.WriteFile(QStringLiteral("board.txt"), "1064 Simulator 64x (CPU)\n1019 a.hex\n");
    const CorvaneResult noComponent = board.RunConfig({});
    EXPECT_EQ(noComponent.exitCode, 1);
    EXPECT_TRUE(board.Log().contains("No CVTC Program File is named in the Configuration Document.\r\n"))
        << board.Log().constData();
}

} // namespace
