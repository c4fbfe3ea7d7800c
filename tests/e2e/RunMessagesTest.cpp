// What a failed command-line run says: every message on standard error,
// whole, and in the log file, with the file and the system's reason where a
// file is the cause.
#include "SimulatedBoard.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct MessageCase {
    const char *name;
    std::function<CorvaneResult(SimulatedBoard &)> run;
    // The message, with CR LF line ends as the log has them.
    std::function<QByteArray(const SimulatedBoard &)> text;
    bool inLog;   // false: the log's bound may drop it
};

class RunMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(RunMessages, ReachStandardErrorAndTheLog)
{
    const MessageCase &c = GetParam();
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteSmallBoard(0x100, QByteArray(16, 0x11));
    const CorvaneResult r = c.run(board);
    const QByteArray text = c.text(board);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QByteArray(text).replace("\r\n", "\n"))) << r.err.constData();
    if (c.inLog) {
        EXPECT_TRUE(board.Log().contains(text)) << board.Log().constData();
    }
}

QByteArray Fixed(const char *text)
{
    return text;
}

CorvaneResult UnknownKey(SimulatedBoard &board)
{
    board.WriteConfig(QStringLiteral("a.hex"), {QStringLiteral("1234 what")});
    return board.RunConfig({});
}

CorvaneResult ImageBeyondTheFlash(SimulatedBoard &board)
{
    board.WriteSRecords(QStringLiteral("a.hex"), {{0xF8, QByteArray(16, 0x11)}}, 2, 1);
    return board.RunConfig({});
}

// The setup file's error line is longer than the log keeps.
const QString kLongSetupName = QString(150, u'd') + u'/' + QString(150, u'd') + QStringLiteral("/setup.ini");

QString LongSetupPath(const SimulatedBoard &board)
{
    return board.Path(kLongSetupName);
}

CorvaneResult LongSetupError(SimulatedBoard &board)
{
    QDir().mkpath(QFileInfo(LongSetupPath(board)).path());
    board.WriteFile(kLongSetupName, "nonsense\n");
    return board.Run({QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("-c")},
                     {QStringLiteral("CORVANE_SETUP=") + LongSetupPath(board)});
}

QByteArray LongSetupErrorText(const SimulatedBoard &board)
{
    return (LongSetupPath(board)
            + QStringLiteral(", line 1: expected \"[board NAME]\", \"[processor NAME]\" or \"key = value\".\r\n"))
        .toUtf8();
}

CorvaneResult MissingImage(SimulatedBoard &board)
{
    return board.RunConfig({QStringLiteral("missing.hex")});
}

QByteArray MissingImageText(const SimulatedBoard &board)
{
    return "Cannot Open File for Burning.\r\n" + board.Path(QStringLiteral("missing.hex")).toUtf8()
        + ": No such file or directory\r\n";
}

CorvaneResult MissingUtility(SimulatedBoard &board)
{
    board.WriteFile(QStringLiteral("b.cmd"), QByteArray());
    return board.Run({QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("-c"), QStringLiteral("b.cmd")},
                     {QStringLiteral("PATH=") + board.Path(QStringLiteral("config"))});
}

INSTANTIATE_TEST_SUITE_P(Cases, RunMessages, ::testing::Values(
    MessageCase{"TextConfigurationError", UnknownKey,
                [](const SimulatedBoard &) { return Fixed("Unknown res type in CDD text file.\r\n"); }, true},
    MessageCase{"LoggedFailure", ImageBeyondTheFlash,
                [](const SimulatedBoard &) { return Fixed("WRITE ERROR: Attempting to write locations\r\n 0xf8 to "); },
                true},
    MessageCase{"LongerThanTheLogKeeps", LongSetupError, LongSetupErrorText, false},
    MessageCase{"FileAndReason", MissingImage, MissingImageText, true},
    MessageCase{"UtilityTried", MissingUtility,
                [](const SimulatedBoard &) { return Fixed("Error: -1\r\nhex6x: not found on PATH\r\n"); }, true}),
    [](const ::testing::TestParamInfo<MessageCase> &info) { return std::string(info.param.name); });

} // namespace
