#include "support/TargetTestSupport.h"

#include "debugger/SetupFile.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QString kPath = QStringLiteral("/etc/corvane/setup.ini");

SetupBoardList ParseLines(const QStringList &lines)
{
    return CSetupFile::Parse(kPath, lines.join(u'\n').toUtf8());
}

TEST(SetupFile, ReadsBoardsAndProcessorsInFileOrder)
{
    const SetupBoardList list = ParseLines({
        QStringLiteral("# two boards"),
        QStringLiteral("[board XDS510 USB Emulator]"),
        QStringLiteral("[processor ICEPick_C]"),
        QStringLiteral("kind = BYPASS"),
        QStringLiteral(""),
        QStringLiteral("[Processor C64x+_0]"),
        QStringLiteral("  Kind = sim  "),
        QStringLiteral("subfamily = 64x"),
        QStringLiteral("; the first board ends here"),
        QStringLiteral("[board Bench]\r"),
        QStringLiteral("[processor ARM]"),
        QStringLiteral("byte_order = big"),
        QStringLiteral("kind = SIM"),
        QStringLiteral("subfamily = arm9"),
        QStringLiteral("[processor DSP]"),
        QStringLiteral("kind = sim"),
        QStringLiteral("subfamily = 54x"),
        QStringLiteral("[board Empty]"),
    });
    ASSERT_EQ(list.status, 0) << list.error.toStdString();
    ASSERT_EQ(list.boards.size(), 3);
    EXPECT_EQ(list.boards[0].name, QStringLiteral("XDS510 USB Emulator"));
    ASSERT_EQ(list.boards[0].processors.size(), 2);
    EXPECT_EQ(list.boards[0].processors[0].name, QStringLiteral("ICEPick_C"));
    EXPECT_EQ(list.boards[0].processors[0].kind, SetupProcessor::Kind::Bypass);
    const SetupProcessor &c64 = list.boards[0].processors[1];
    EXPECT_EQ(c64.kind, SetupProcessor::Kind::Simulator);
    EXPECT_EQ(c64.subfamily, 0x64);
    EXPECT_FALSE(c64.bigEndian);
    const SetupProcessor &arm = list.boards[1].processors[0];
    EXPECT_EQ(arm.subfamily, 2);
    EXPECT_TRUE(arm.bigEndian);   // as given, whatever the sub-family's usual order
    EXPECT_TRUE(list.boards[1].processors[1].bigEndian);   // 54x is big-endian unless told otherwise
    EXPECT_TRUE(list.boards[2].processors.isEmpty());
}

TEST(SetupFile, ReadsGdbServers)
{
    const SetupBoardList list = ParseLines({
        QStringLiteral("[board Bench]"),
        QStringLiteral("[processor QEMU]"),
        QStringLiteral("kind = GDB"),
        QStringLiteral("subfamily = ARM9"),
        QStringLiteral("address = 127.0.0.1:1234"),
        QStringLiteral("timeout = 2.5"),
        QStringLiteral("start = qemu-system-arm -M versatilepb \"-drive\" if=pflash,file=\"my flash.bin\" \"\" -S"),
        QStringLiteral("start_timeout = 30"),
        QStringLiteral("[processor JTAG]"),
        QStringLiteral("kind = gdb"),
        QStringLiteral("subfamily = ARM7"),
        QStringLiteral("byte_order = big"),
        QStringLiteral("address = [::1]:3333"),
    });
    ASSERT_EQ(list.status, 0) << list.error.toStdString();
    const SetupProcessor &qemu = list.boards[0].processors[0];
    EXPECT_EQ(qemu.kind, SetupProcessor::Kind::Gdb);
    EXPECT_EQ(qemu.gdb.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(qemu.gdb.port, 1234);
    EXPECT_EQ(qemu.gdb.timeoutMs, 2500);
    EXPECT_EQ(qemu.gdb.startTimeoutMs, 30000);
    EXPECT_EQ(qemu.gdb.start, (QStringList {QStringLiteral("qemu-system-arm"), QStringLiteral("-M"),
                                            QStringLiteral("versatilepb"), QStringLiteral("-drive"),
                                            QStringLiteral("if=pflash,file=my flash.bin"), QString(),
                                            QStringLiteral("-S")}));
    const SetupProcessor &jtag = list.boards[0].processors[1];
    EXPECT_EQ(jtag.gdb.host, QStringLiteral("::1"));
    EXPECT_EQ(jtag.gdb.port, 3333);
    EXPECT_EQ(jtag.gdb.timeoutMs, SetupGdbServer::kDefaultTimeoutMs);
    EXPECT_TRUE(jtag.gdb.start.isEmpty());
    EXPECT_TRUE(jtag.bigEndian);
}

TEST(SetupFile, AnEmptyFileListsNoBoards)
{
    const SetupBoardList list = ParseLines({QStringLiteral("# nothing yet")});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.boards.isEmpty());
}

struct BadCase {
    QStringList lines;
    int line;
    const char *phrase;
};

TEST(SetupFile, ErrorsNameTheFileAndLine)
{
    const QString board = QStringLiteral("[board B]");
    const QString processor = QStringLiteral("[processor P]");
    const QString sim = QStringLiteral("kind = sim");
    for (const BadCase &c : {
             BadCase {{QStringLiteral("[board B")}, 1, "must end with"},
             BadCase {{QStringLiteral("[device X]")}, 1, "unknown section"},
             BadCase {{QStringLiteral("[board]")}, 1, "has no name"},
             BadCase {{QStringLiteral("[processor P]")}, 1, "before any [board"},
             BadCase {{board, QStringLiteral("kind = sim")}, 2, "outside a [processor"},
             BadCase {{board, processor, QStringLiteral("kind sim")}, 3, "expected"},
             BadCase {{board, processor, sim, QStringLiteral("speed = 9")}, 4, "unknown key \"speed\""},
             BadCase {{board, processor, sim, sim}, 4, "given twice"},
             BadCase {{board, processor, QStringLiteral("kind = lldb")}, 3, "unknown kind \"lldb\""},
             BadCase {{board, processor, sim, QStringLiteral("subfamily = 65x")}, 4, "unknown sub-family \"65x\""},
             BadCase {{board, processor, sim, QStringLiteral("subfamily = 64x"), QStringLiteral("byte_order = middle")},
                      5, "byte_order must be"},
             BadCase {{board, processor, QStringLiteral("subfamily = 64x"), board}, 2, "has no kind"},
             BadCase {{board, QStringLiteral(""), processor, sim}, 3, "has no subfamily"},
             BadCase {{board, processor, QStringLiteral("kind = gdb")}, 2,
                      "needs subfamily ARM7 or ARM9"},
             BadCase {{board, processor, QStringLiteral("kind = gdb"), QStringLiteral("subfamily = 64x")}, 2,
                      "needs subfamily ARM7 or ARM9"},
             BadCase {{board, processor, QStringLiteral("kind = gdb"), QStringLiteral("subfamily = ARM9")}, 2,
                      "GDB processor \"P\" has no address"},
             BadCase {{board, processor, QStringLiteral("address = localhost")}, 3, "address must be HOST:PORT"},
             BadCase {{board, processor, QStringLiteral("address = ::1:3333")}, 3, "address must be HOST:PORT"},
             BadCase {{board, processor, QStringLiteral("address = host:0")}, 3, "address must be HOST:PORT"},
             BadCase {{board, processor, QStringLiteral("address = host:65536")}, 3, "address must be HOST:PORT"},
             BadCase {{board, processor, QStringLiteral("timeout = 0")}, 3, "timeout must be a number of seconds"},
             BadCase {{board, processor, QStringLiteral("timeout = soon")}, 3, "timeout must be a number"},
             BadCase {{board, processor, QStringLiteral("start_timeout = 3601")}, 3, "start_timeout must be"},
             BadCase {{board, processor, QStringLiteral("start = qemu \"-S")}, 3, "double quote that is not closed"},
             BadCase {{board, processor, QStringLiteral("start =   ")}, 3, "start names no program"},
         }) {
        const SetupBoardList list = ParseLines(c.lines);
        EXPECT_LT(list.status, 0);
        EXPECT_TRUE(list.boards.isEmpty());
        EXPECT_TRUE(list.error.startsWith(QStringLiteral("%1, line %2: ").arg(kPath).arg(c.line)))
            << list.error.toStdString();
        EXPECT_TRUE(list.error.contains(QLatin1String(c.phrase))) << list.error.toStdString();
    }
}

TEST(SetupFile, BuiltInListHasOneSimulatedBoardPerSubfamily)
{
    const QList<SetupBoard> boards = CSetupFile::BuiltInBoards();
    QStringList names;
    for (const SetupBoard &board : boards) {
        names.append(board.name);
        ASSERT_EQ(board.processors.size(), 1);
        EXPECT_EQ(board.processors[0].name, QStringLiteral("CPU"));
        EXPECT_EQ(board.processors[0].kind, SetupProcessor::Kind::Simulator);
    }
    EXPECT_EQ(names, (QStringList {QStringLiteral("Simulator 20x"), QStringLiteral("Simulator 24x"),
                                   QStringLiteral("Simulator 27x"), QStringLiteral("Simulator 28x"),
                                   QStringLiteral("Simulator 54x"), QStringLiteral("Simulator 55x"),
                                   QStringLiteral("Simulator 62x"), QStringLiteral("Simulator 64x"),
                                   QStringLiteral("Simulator 67x"), QStringLiteral("Simulator ARM7"),
                                   QStringLiteral("Simulator ARM9")}));
    EXPECT_EQ(boards[9].processors[0].subfamily, 1);
}

TEST(SetupFile, TheEnvironmentChoosesTheFile)
{
    QTemporaryDir config;
    const ScopedEnvironment noSetup("CORVANE_SETUP", QByteArray());
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", config.path().toUtf8());
    EXPECT_EQ(CSetupFile::Path(), config.filePath(QStringLiteral("corvane/setup.ini")));
    EXPECT_EQ(CSetupFile::Load().boards.size(), 11);   // no file: the built-in list

    QDir(config.path()).mkpath(QStringLiteral("corvane"));
    QFile file(CSetupFile::Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[board Only]\n[processor CPU]\nkind = sim\nsubfamily = 28x\n");
    file.close();
    ASSERT_EQ(CSetupFile::Load().boards.size(), 1);

    const QString named = config.filePath(QStringLiteral("missing.ini"));
    const ScopedEnvironment setup("CORVANE_SETUP", named.toUtf8());
    const SetupBoardList list = CSetupFile::Load();
    EXPECT_LT(list.status, 0);   // a file named on purpose must exist
    EXPECT_TRUE(list.error.contains(named));
}

} // namespace
