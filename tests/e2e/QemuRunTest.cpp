// Command-line runs on QEMU's versatilepb through the GDB backend: what lands
// in QEMU's flash file for each image format, the dump of it, and a server
// that dies mid-run or is not there.
#include "SimulatedBoard.h"

#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

constexpr quint32 kFlashBase = 0x34000000;
constexpr quint32 kOffset = 0x10000;
constexpr qsizetype kFlashBytes = qsizetype(64) << 20;

QString Unavailable()
{
    if (!QFile::exists(QStringLiteral(CORVANE_CVTC_ARM926_ELF)))
        return QStringLiteral("the reference target component for ARM926 is not built");
    return QemuGdbServer::Unavailable();
}

#define SKIP_WITHOUT_QEMU()                                                                                           \
    if (!Unavailable().isEmpty())                                                                                     \
    GTEST_SKIP() << Unavailable().toStdString()

// Where the first difference of two flashes is, for failure messages.
std::string FirstDifference(const QByteArray &found, const QByteArray &expected)
{
    for (qsizetype i = 0; i < qMin(found.size(), expected.size()); ++i) {
        if (found[i] != expected[i])
            return QStringLiteral("at 0x%1: %2 instead of %3")
                .arg(i, 0, 16)
                .arg(quint8(found[i]), 2, 16, QLatin1Char('0'))
                .arg(quint8(expected[i]), 2, 16, QLatin1Char('0'))
                .toStdString();
    }
    return "sizes " + std::to_string(found.size()) + " and " + std::to_string(expected.size());
}

struct FormatCase {
    const char *name;
    int addressBytes;      // of the S-records; 0 for TI ASCII hex
    quint32 address;       // where the image says its bytes go
    quint32 imageOffset;   // the document's image offset that moves them to kOffset
    bool dump;             // also dump the range with -r
    // Other formats than S-records and TI ASCII hex, in a file of this name.
    SimulatedBoard::ImageForm form = SimulatedBoard::ImageForm::SRecords;
    const char *file = "image.hex";
};

class QemuRun : public testing::TestWithParam<FormatCase> {};

TEST_P(QemuRun, EraseProgramAndVerifyLeaveTheImageAtItsOffsetAndErasedFlashElsewhere)
{
    SKIP_WITHOUT_QEMU();
    const FormatCase &c = GetParam();
    SimulatedBoard board(SimulatedBoard::OnQemu {});
    const QByteArray image = SimulatedBoard::RandomBytes(70001, 11);
    const QString file = QString::fromLatin1(c.file);
    if (c.form != SimulatedBoard::ImageForm::SRecords)
        board.WriteImage(file, {{c.address, image}}, c.form);
    else if (c.addressBytes == 0)
        board.WriteTiHex(file, {{c.address, image}});
    else
        board.WriteSRecords(file, {{c.address, image}}, c.addressBytes, 1);
    board.WriteConfig(file, {QStringLiteral("1018 0x%1").arg(c.imageOffset, 0, 16)});

    const CorvaneResult run = board.RunConfig({QStringLiteral("-e"), QStringLiteral("--timeout"), QStringLiteral("60")});
    ASSERT_EQ(run.exitCode, 0) << board.Log().constData() << run.err.constData();
    EXPECT_TRUE(board.Log().contains("Corvane of 70001 bytes is complete.")) << board.Log().constData();
    QByteArray expected(kFlashBytes, '\xFF');
    expected.replace(kOffset, image.size(), image);
    const QByteArray flash = board.Flash();
    EXPECT_TRUE(flash == expected) << FirstDifference(flash, expected);

    if (c.dump) {
        const CorvaneResult dump = board.RunConfig(
            {QStringLiteral("-r"), QString::number(kOffset), QString::number(image.size()), QStringLiteral("-o"),
             QStringLiteral("dump.log")});
        ASSERT_EQ(dump.exitCode, 0) << board.ReadFile(QStringLiteral("dump.log")).constData();
        quint32 first = 0;
        const QByteArray dumped = board.DumpedBytes(&first);
        EXPECT_EQ(first, kOffset);
        EXPECT_TRUE(dumped.left(image.size()) == image) << FirstDifference(dumped, image);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, QemuRun,
    testing::Values(FormatCase {"S1", 2, 0x1000, kFlashBase + kOffset - 0x1000, false},
                    FormatCase {"S2", 3, 0x20000, kFlashBase + kOffset - 0x20000, false},
                    FormatCase {"S3", 4, kFlashBase + kOffset, 0, true},
                    FormatCase {"TiAscii", 0, kFlashBase + kOffset, 0, false},
                    FormatCase {"IntelHex", 0, kFlashBase + kOffset, 0, false, SimulatedBoard::ImageForm::Intel,
                                "image.ihex"},
                    FormatCase {"Elf", 0, kFlashBase + kOffset, 0, false, SimulatedBoard::ImageForm::Elf, "image.elf"}),
    [](const testing::TestParamInfo<FormatCase> &info) { return std::string(info.param.name); });

TEST(QemuRunFailures, AServerThatDiesMidRunEndsTheRunWithItsMessage)
{
    SKIP_WITHOUT_QEMU();
    SimulatedBoard board(SimulatedBoard::OnQemu {});
    ASSERT_TRUE(board.Qemu().StartHere());
    board.WriteQemuSetup();
    board.WriteSRecords(QStringLiteral("image.hex"), {{kFlashBase + kOffset, SimulatedBoard::RandomBytes(4 << 20, 5)}},
                        4, 1);
    board.WriteConfig(QStringLiteral("image.hex"));

    // Once the erase has reached the flash file, QEMU goes while the image is being programmed.
    const qint64 pid = board.Qemu().ProcessId();
    const QString flashFile = board.Qemu().FlashFile();
    std::thread killer([pid, flashFile] {
        for (;;) {
            QFile flash(flashFile);
            if (flash.open(QIODevice::ReadOnly) && flash.read(1) == "\xFF")
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::kill(pid_t(pid), SIGKILL);
    });
    const CorvaneResult run = board.RunConfig({QStringLiteral("-e"), QStringLiteral("--timeout"), QStringLiteral("30")});
    killer.join();
    EXPECT_EQ(run.exitCode, 1);
    const QByteArray log = board.Log();
    EXPECT_TRUE(log.contains(QStringLiteral("GDB server 127.0.0.1:%1 closed the connection")
                                 .arg(board.Qemu().Setup().port)
                                 .toUtf8()))
        << log.constData();
    EXPECT_FALSE(log.contains("is complete."));
}

TEST(QemuRunFailures, NothingListeningOnThePortEndsTheRunWithAMessage)
{
    SKIP_WITHOUT_QEMU();
    SimulatedBoard board(SimulatedBoard::OnQemu {});
    const quint16 port = board.Qemu().Setup().port;
    board.WriteFile(QStringLiteral("setup.ini"),
                    QStringLiteral("[board QEMU versatilepb]\n[processor ARM926]\nkind = gdb\nsubfamily = ARM9\n"
                                   "address = 127.0.0.1:%1\n")
                        .arg(port)
                        .toUtf8());
    board.WriteConfig(QStringLiteral("image.hex"));
    const CorvaneResult run = board.RunConfig({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(board.Log().contains(
        QStringLiteral("Cannot connect to GDB server 127.0.0.1:%1: Connection refused.").arg(port).toUtf8()))
        << board.Log().constData();
}

} // namespace
