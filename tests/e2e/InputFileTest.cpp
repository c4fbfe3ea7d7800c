// Inputs that are no regular files, a FIFO or a device, are refused at once:
// nothing waits for a writer, nothing reads without end.
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace {

struct InputCase {
    const char *name;
    // Runs with `input` in the role the case names.
    std::function<CorvaneResult(const SimulatedBoard &, const QString &input)> run;
    const char *message;   // in the log
};

CorvaneResult AsDocument(const SimulatedBoard &board, const QString &input)
{
    return board.Run({input, QStringLiteral("--print-config")});
}

CorvaneResult AsTextConfiguration(const SimulatedBoard &board, const QString &input)
{
    return board.Run({input, QStringLiteral("-t"), QStringLiteral("--print-config")});
}

CorvaneResult AsImage(const SimulatedBoard &board, const QString &input)
{
    board.WriteConfig(input);
    return board.RunConfig({});
}

CorvaneResult AsUserFile(const SimulatedBoard &board, const QString &input)
{
    board.WriteConfig(QStringLiteral("a.hex"));
    return board.RunConfig({input});
}

CorvaneResult AsSetupFile(const SimulatedBoard &board, const QString &input)
{
    board.WriteConfig(QStringLiteral("a.hex"));
    return board.Run({QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("-c")},
                     {QStringLiteral("CORVANE_SETUP=") + input});
}

CorvaneResult AsComponentFile(const SimulatedBoard &board, const QString &input)
{
    board.WriteFile(QStringLiteral("board.txt"), "1064 Simulator 64x (CPU)\n1023 " + input.toUtf8() + "\n");
    return board.RunConfig({});
}

class UnusableInput : public ::testing::TestWithParam<std::tuple<InputCase, const char *>> {};

TEST_P(UnusableInput, IsRefusedAtOnce)
{
    const auto &[c, kind] = GetParam();
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteComponent({});
    QString input = QString::fromLatin1(kind);
    if (input == QLatin1String("fifo")) {
        input = board.Path(QStringLiteral("input.fifo"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
    }
    const CorvaneResult r = c.run(board, input);
    EXPECT_EQ(r.exitCode, 1) << r.err.constData();
    EXPECT_TRUE(board.Log().contains(c.message)) << board.Log().constData();
}

INSTANTIATE_TEST_SUITE_P(Roles, UnusableInput, ::testing::Combine(::testing::Values(
    InputCase{"Document", AsDocument, "the file cannot be opened (not a regular file)"},
    InputCase{"TextConfiguration", AsTextConfiguration, "Cannot open CDD TEXT File."},
    InputCase{"Image", AsImage, "Cannot Open File for Burning."},
    InputCase{"UserFile", AsUserFile, "Cannot Open User File for Sending."},
    InputCase{"SetupFile", AsSetupFile, ": not a regular file."},
    InputCase{"ComponentFile", AsComponentFile, "Either I cannot load CVTC"}),
    ::testing::Values("fifo", "/dev/zero")),
    [](const ::testing::TestParamInfo<std::tuple<InputCase, const char *>> &info) {
        return std::string(std::get<0>(info.param).name)
            + (std::string(std::get<1>(info.param)) == "fifo" ? "Fifo" : "Device");
    });

} // namespace
