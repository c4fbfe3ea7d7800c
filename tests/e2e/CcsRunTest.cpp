// Command-line runs through the ccs backend, its bridges and their API
// doubles (tests/ccs): every fault of the debugger ends the run with exit 1 and
// the cause in the log, never a hang; the bridge never outlives Corvane.
#include "SimulatedBoard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr quint32 kFlashBytes = 0x1000;

// A 28x of the fake CCS installation through `api`, with a.hex holding 64 bytes at the flash's start.
SimulatedBoard CcsBoard(const QString &api, const QStringList &setupLines = {}, const QString &root = {})
{
    SimulatedBoard board(SimulatedBoard::OnCcs {QStringLiteral("28x"), api, setupLines, root});
    board.WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x%1").arg(kFlashBytes, 0, 16)});
    board.WriteConfig(QStringLiteral("a.hex"), {QStringLiteral("1041 0")});
    board.WriteSRecords(QStringLiteral("a.hex"), {{0, SimulatedBoard::RandomBytes(64, 3)}}, 2, 2);
    return board;
}

struct FaultCase {
    const char *name;
    const char *fault;        // CORVANE_FAKE_CCS_FAULT
    QStringList setupLines;   // more keys of the processor
    QStringList arguments;    // after board.txt -t -c -e
    QStringList phrases;      // what the log says
};

class CcsFault : public testing::TestWithParam<std::tuple<FaultCase, const char *>> {};

TEST_P(CcsFault, EndsTheRunWithItsCause)
{
    const auto &[c, api] = GetParam();
    const SimulatedBoard board = CcsBoard(QString::fromLatin1(api), c.setupLines);
    const CorvaneResult run =
        board.Run(Words("board.txt -t -c -e") + c.arguments, {QStringLiteral("CORVANE_FAKE_CCS_FAULT=") + c.fault});
    EXPECT_EQ(run.exitCode, 1) << run.err.constData();
    for (const QString &phrase : c.phrases)
        EXPECT_TRUE(board.Log().contains(phrase.toUtf8())) << phrase.toStdString() << "\n" << board.Log().constData();
}

INSTANTIATE_TEST_SUITE_P(Faults, CcsFault, testing::Combine(testing::Values(
    FaultCase {"StartTooSlow", "start-slow", {QStringLiteral("start_timeout = 1")}, {},
               {QStringLiteral("CCS debugger (C28xx_CPU1) did not start within 1 seconds")}},
    FaultCase {"ConfigureRefused", "configure", {}, {},
               {QStringLiteral("CCS debugger (C28xx_CPU1) could not connect through"), QStringLiteral("board.ccxml")}},
    FaultCase {"ConnectRefused", "connect", {}, {}, {QStringLiteral("CCS debugger (C28xx_CPU1) could not connect")}},
    FaultCase {"NoCoreMatches", "no-core", {}, {}, {QStringLiteral("could not connect"), QStringLiteral("C28xx_CPU1")}},
    FaultCase {"LoadRefused", "load", {}, {}, {QStringLiteral("CCS debugger (C28xx_CPU1) could not load")}},
    FaultCase {"MessageSymbolMissing", "symbol:theMessage", {}, {}, {QStringLiteral("Failed to get msg storage addr")}},
    FaultCase {"BreakpointSymbolMissing", "symbol:doMessageProc", {}, {}, {QStringLiteral("Failed to get BP addr")}},
    FaultCase {"WriteRefusedMidRun", "write:5", {}, {},
               {QStringLiteral("CCS debugger (C28xx_CPU1) could not write"), QStringLiteral("Failed to write")}},
    FaultCase {"TargetNeverHalts", "never-halt:4", {}, Words("--timeout 1"),
               {QStringLiteral("Target did not answer within 1 seconds.")}},
    FaultCase {"DebuggerDiesMidRun", "die:4", {}, {},
               {QStringLiteral("CCS debugger (C28xx_CPU1) could not run the target: Lost the connection to the debug server")}},
    FaultCase {"BridgeEndsMidRun", "crash:4", {}, {},
               {QStringLiteral("CCS debugger (C28xx_CPU1) ended: the bridge exited with status 134.")}}),
    testing::Values("scripting", "dss")),
    [](const auto &info) { return std::string(std::get<0>(info.param).name) + "Through" + std::get<1>(info.param); });

// What the debugger and its scripts print to standard output never reaches the answers.
TEST(CcsRun, NoiseOnTheDebuggersOutputLeavesTheRunWhole)
{
    for (const char *api : {"scripting", "dss"}) {
        const SimulatedBoard board = CcsBoard(QString::fromLatin1(api));
        const CorvaneResult run = board.Run(Words("board.txt -t -c -e -v"), {QStringLiteral("CORVANE_FAKE_CCS_FAULT=noise")});
        EXPECT_EQ(run.exitCode, 0) << api << run.err.constData() << board.Log().constData();
        EXPECT_TRUE(board.Log().contains("Corvane of 64 bytes is complete.")) << api << board.Log().constData();
    }
}

TEST(CcsRun, AnInstallationWithoutTheScriptingApiSaysWhereItLooked)
{
    const QTemporaryDir root;
    const SimulatedBoard board = CcsBoard(QStringLiteral("scripting"), {}, root.path());
    const CorvaneResult run = board.Run(Words("board.txt -t -c -e"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(board.Log().contains(
        QStringLiteral("CCS scripting not found in %1/ccs/scripting/python/site-packages.").arg(root.path()).toUtf8()))
        << board.Log().constData();
}

// The command lines of the processes that carry the board's fake CCS state
// in their environment: Corvane, the bridge and its debugger.
QMap<int, QString> ProcessesOf(const SimulatedBoard &board)
{
    const QByteArray marker = "CORVANE_FAKE_CCS_STATE=" + board.Path(QStringLiteral("ccs")).toUtf8();
    QMap<int, QString> found;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (pid.toInt() > 0 && environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker)
            && command.open(QIODevice::ReadOnly))
            found.insert(pid.toInt(), QString::fromUtf8(command.readAll().replace('\0', ' ')));
    }
    return found;
}

// Killed while the bridge waits in a debugger call (configuring takes an hour), not reading its input.
TEST(CcsRun, TheBridgeNeverOutlivesCorvane)
{
    const SimulatedBoard board = CcsBoard(QStringLiteral("scripting"));
    QProcess corvane;
    board.Start(corvane, Words("board.txt -t -c -e"), {QStringLiteral("CORVANE_FAKE_CCS_FAULT=start-slow")});
    ASSERT_TRUE(corvane.waitForStarted());
    const QDeadlineTimer configuring(60000);
    while (!ProcessesOf(board).values().join(u' ').contains(QLatin1String("fake_debug_server"))
           && !configuring.hasExpired())
        QThread::msleep(50);
    ::kill(pid_t(corvane.processId()), SIGKILL);
    corvane.waitForFinished();
    ASSERT_FALSE(configuring.hasExpired()) << "the debugger did not start";
    const QDeadlineTimer ending(30000);
    while (!ProcessesOf(board).isEmpty() && !ending.hasExpired())
        QThread::msleep(50);
    const QMap<int, QString> left = ProcessesOf(board);
    EXPECT_TRUE(left.isEmpty()) << left.values().join(u'\n').toStdString();
    for (const int pid : left.keys())
        ::kill(pid, SIGKILL);
}

} // namespace
