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

TEST(SetupFile, ReadsCcsProcessorsWithPathsFromTheFilesFolder)
{
    const SetupBoardList list = ParseLines({
        QStringLiteral("[board LaunchPad]"),
        QStringLiteral("[processor CPU1]"),
        QStringLiteral("timeout = 4"),
        QStringLiteral("kind = ccs"),
        QStringLiteral("ccs_root = ../ti/ccs2020"),
        QStringLiteral("ccxml = boards/f28379d.ccxml"),
        QStringLiteral("core = C28xx_CPU1"),
        QStringLiteral("python = tools/python3"),
        QStringLiteral("[processor DSP]"),
        QStringLiteral("kind = CCS"),
        QStringLiteral("ccs_root = /opt/ti/ccs1281"),
        QStringLiteral("ccxml = /home/me/c6748.ccxml"),
        QStringLiteral("core = C674X_0"),
        QStringLiteral("api = DSS"),
        QStringLiteral("python = python3.11"),
        QStringLiteral("start_timeout = 300"),
        QStringLiteral("[processor Mcu]"),
        QStringLiteral("kind = ccs"),
        QStringLiteral("ccs_root = /opt/ti/ccs"),
        QStringLiteral("ccxml = /b.ccxml"),
        QStringLiteral("core = Cortex_M4_0"),
        QStringLiteral("subfamily = ARM7"),
    });
    ASSERT_EQ(list.status, 0) << list.error.toStdString();
    const SetupProcessor &cpu1 = list.boards[0].processors[0];
    EXPECT_EQ(cpu1.kind, SetupProcessor::Kind::Ccs);
    EXPECT_EQ(cpu1.subfamily, 0x28);   // from the core's name
    EXPECT_TRUE(cpu1.bigEndian);       // the message block's words, high byte first
    EXPECT_EQ(cpu1.ccs.root, QStringLiteral("/etc/ti/ccs2020"));
    EXPECT_EQ(cpu1.ccs.ccxml, QStringLiteral("/etc/corvane/boards/f28379d.ccxml"));
    EXPECT_EQ(cpu1.ccs.core, QStringLiteral("C28xx_CPU1"));
    EXPECT_EQ(cpu1.ccs.api, SetupCcs::Api::Automatic);
    EXPECT_EQ(cpu1.ccs.python, QStringLiteral("/etc/corvane/tools/python3"));
    EXPECT_EQ(cpu1.ccs.timeoutMs, 4000);
    EXPECT_EQ(cpu1.ccs.startTimeoutMs, SetupCcs::kDefaultStartTimeoutMs);
    const SetupProcessor &dsp = list.boards[0].processors[1];
    EXPECT_EQ(dsp.subfamily, 0x64);
    EXPECT_FALSE(dsp.bigEndian);
    EXPECT_EQ(dsp.ccs.api, SetupCcs::Api::Dss);
    EXPECT_EQ(dsp.ccs.python, QStringLiteral("python3.11"));
    EXPECT_EQ(dsp.ccs.timeoutMs, SetupCcs::kDefaultTimeoutMs);
    EXPECT_EQ(dsp.ccs.startTimeoutMs, 300000);
    EXPECT_EQ(list.boards[0].processors[2].subfamily, 1);
}

TEST(SetupFile, CcsCoreNamesSayTheirSubfamily)
{
    for (const auto &[core, subfamily] : {std::pair {"C28xx_CPU2", 0x28}, std::pair {"C55xx", 0x55},
                                          std::pair {"TMS320C64x+_0", 0x64}, std::pair {"C66xx_3", 0x64},
                                          std::pair {"C674X_0", 0x64}, std::pair {"C67x", 0x67},
                                          std::pair {"ARM926_0", 2}, std::pair {"OMAP-L137_ARM9", 2}}) {
        const SetupBoardList list = ParseLines({QStringLiteral("[board B]"), QStringLiteral("[processor P]"),
                                                QStringLiteral("kind = ccs"), QStringLiteral("ccs_root = /ccs"),
                                                QStringLiteral("ccxml = b.ccxml"),
                                                QStringLiteral("core = ") + QLatin1String(core)});
        ASSERT_EQ(list.status, 0) << list.error.toStdString();
        EXPECT_EQ(list.boards[0].processors[0].subfamily, subfamily) << core;
    }
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
             BadCase {{board, processor, sim, QStringLiteral("subfamily = 64x"), QStringLiteral("address = h:1")}, 5,
                      "\"address\" is no key of a processor of kind sim"},
             BadCase {{board, processor, QStringLiteral("core = C28xx"), QStringLiteral("kind = gdb")}, 3,
                      "\"core\" is no key of a processor of kind gdb"},
             BadCase {{board, processor, QStringLiteral("kind = ccs"), QStringLiteral("ccxml = b.ccxml"),
                       QStringLiteral("core = C28xx")},
                      2, "CCS processor \"P\" has no ccs_root"},
             BadCase {{board, processor, QStringLiteral("kind = ccs"), QStringLiteral("ccs_root = /ccs"),
                       QStringLiteral("core = C28xx")},
                      2, "has no ccxml"},
             BadCase {{board, processor, QStringLiteral("kind = ccs"), QStringLiteral("ccs_root = /ccs"),
                       QStringLiteral("ccxml = b.ccxml")},
                      2, "has no core"},
             BadCase {{board, processor, QStringLiteral("kind = ccs"), QStringLiteral("ccs_root = /ccs"),
                       QStringLiteral("ccxml = b.ccxml"), QStringLiteral("core = Cortex_R5")},
                      2, "needs a subfamily: the core \"Cortex_R5\" does not say it"},
             BadCase {{board, processor, QStringLiteral("api = com")}, 3, "api must be scripting or dss"},
             BadCase {{board, processor, QStringLiteral("ccxml =")}, 3, "ccxml is empty"},
             BadCase {{board, processor, QStringLiteral("core =")}, 3, "core is empty"},
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
