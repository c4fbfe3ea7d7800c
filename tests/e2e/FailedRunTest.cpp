// Command-line runs that fail say why in the log and, but for a closed
// standard error, on standard error too; what the board holds is kept.
#include "SimulatedBoard.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kState = QStringLiteral("sim/Simulator 64x (CPU)");

// A 64x board whose a.hex holds 16 bytes at 0 of a 0x100-byte flash, a disk to fill and a lock to hold.
struct Scene {
    Scene()
        : board(QStringLiteral("64x"))
    {
        board.WriteSmallBoard(0x100, QByteArray(16, 0x11));
    }
    ~Scene() { ::close(held); }
    // board.txt -t -c and `arguments`.
    CorvaneResult Run(const QStringList &arguments = {}, const QStringList &environment = {},
                      const ChildSetUp &inChild = {}) const
    {
        return board.Run(Words("board.txt -t -c") + arguments, environment, inChild);
    }
    QString OnDisk() { return QStringLiteral("CORVANE_SIM_DIR=") + disk.Path(QStringLiteral("sim")); }
    QByteArray FlashOnDisk() const { return ReadFile(disk.Path(kState + QStringLiteral(".flash"))); }
    static QByteArray ReadFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    SimulatedBoard board;
    SmallDisk disk;
    int held = -1;
};

enum Where { InLog = 1, OnStandardError = 2, Both = 3 };

void ExpectFailure(const CorvaneResult &r, const SimulatedBoard &board, const char *text, int where)
{
    EXPECT_EQ(r.exitCode, 1) << r.err.constData();
    if (where & InLog) {
        EXPECT_TRUE(board.Log().contains(text)) << board.Log().constData();
    }
    if (where & OnStandardError) {
        EXPECT_TRUE(r.err.contains(QByteArray(text).replace("\r\n", "\n"))) << r.err.constData();
    }
}

// A child's `fd` becomes a pipe whose reading end is closed: every write to it fails.
class ClosedPipe {
public:
    explicit ClosedPipe(int fd)
        : m_nFd(fd)
    {
        EXPECT_EQ(::pipe2(m_ends, O_CLOEXEC), 0);
        ::close(m_ends[0]);
    }
    ~ClosedPipe() { ::close(m_ends[1]); }
    ChildSetUp InChild() const
    {
        return [fd = m_nFd, end = m_ends[1]] { ::dup2(end, fd); };
    }

private:
    int m_nFd;
    int m_ends[2] = {-1, -1};
};

struct FailureCase {
    const char *name;
    std::function<CorvaneResult(Scene &)> run;
    const char *text;
    int where = Both;
    bool needsFullDisk = false;
};

class FailedRun : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedRun, SaysWhyAndLosesNothing)
{
    const FailureCase &c = GetParam();
    Scene scene;
    if (c.needsFullDisk && !scene.disk.IsMounted())
        GTEST_SKIP() << scene.disk.Reason().toStdString();
    ExpectFailure(c.run(scene), scene.board, c.text, c.where);
}

CorvaneResult LongSetupError(Scene &scene)
{
    // Its error line is longer than the log keeps.
    const QString folder = QString(150, u'd');
    const QString path = scene.board.Path(folder + u'/' + folder + QStringLiteral("/setup.ini"));
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("nonsense\n") > 0);
    file.close();
    const CorvaneResult r = scene.Run({}, {QStringLiteral("CORVANE_SETUP=") + path});
    EXPECT_TRUE(r.err.contains(path.toUtf8() + ", line 1: expected \"[board NAME]\"")) << r.err.constData();
    return r;
}

// A first run leaves the flash on the disk, which then fills up before another image.
CorvaneResult FlashOnFullDisk(Scene &scene)
{
    EXPECT_EQ(scene.Run({}, {scene.OnDisk()}).exitCode, 0);
    const QByteArray before = scene.FlashOnDisk();
    scene.disk.Fill();
    scene.board.WriteSRecords(QStringLiteral("a.hex"), {{0, QByteArray(16, 0x01)}}, 2, 1);
    const CorvaneResult r = scene.Run({}, {scene.OnDisk()});
    EXPECT_EQ(scene.FlashOnDisk(), before);
    return r;
}

CorvaneResult FolderInPlaceOfTheFlashFile(Scene &scene)
{
    QDir().mkpath(scene.board.Path(kState + QStringLiteral(".flash")));
    const CorvaneResult r = scene.Run();
    EXPECT_TRUE(QFileInfo(scene.board.Path(kState + QStringLiteral(".flash"))).isDir());
    return r;
}

CorvaneResult HeldByAnotherRun(Scene &scene)
{
    QDir().mkpath(scene.board.Path(QStringLiteral("sim")));
    scene.held = ::open(QFile::encodeName(scene.board.Path(kState + QStringLiteral(".lock"))).constData(),
                        O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    EXPECT_EQ(::flock(scene.held, LOCK_EX), 0);
    const CorvaneResult r = scene.Run();
    EXPECT_TRUE(scene.board.Flash().isEmpty());
    return r;
}

// A text configuration with an error ends the run before it connects: the board is never touched.
CorvaneResult ConfigurationError(Scene &scene, const QString &line)
{
    scene.board.WriteConfig(QStringLiteral("a.hex"), {line});
    const CorvaneResult r = scene.Run();
    EXPECT_TRUE(scene.board.Flash().isEmpty()) << "the simulated flash was made";
    EXPECT_FALSE(scene.board.Log().contains("CCS created OK.")) << scene.board.Log().constData();
    return r;
}

INSTANTIATE_TEST_SUITE_P(Causes, FailedRun, ::testing::Values(
    FailureCase{"UnknownKey", [](Scene &s) { return ConfigurationError(s, QStringLiteral("9999 foo")); },
                "Unknown res type in CDD text file.\r\n"},
    FailureCase{"KeyWithoutValue", [](Scene &s) { return ConfigurationError(s, QStringLiteral("1041")); },
                "Need 2 items per cdd line.\r\n"},
    FailureCase{"ClosedStandardDescriptors",
                [](Scene &s) {
                    // The run behaves as with /dev/null: nothing else may take descriptors 0 to 2.
                    return s.Run(Words("none.hex"), {}, [] {
                        for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
                            ::close(fd);
                    });
                },
                "Cannot Open File for Burning.\r\n", InLog},
    FailureCase{"LoggedFailure",
                [](Scene &s) {
                    s.board.WriteSRecords(QStringLiteral("a.hex"), {{0xF8, QByteArray(16, 0x11)}}, 2, 1);
                    return s.Run();
                },
                "WRITE ERROR: Attempting to write locations\r\n 0xf8 to "},
    FailureCase{"CcsDataOfAnotherFormat",
                [](Scene &s) {
                    s.board.WriteFile(QStringLiteral("a.hex"), "1651 2 0 0 1\r\n0x1\r\n");
                    return s.Run();
                },
                "Corvane can only read CCS Saved Data in Hex Format.\r\nPlease re-format the data.\r\nNot a hex file.\r\n"},
    FailureCase{"LongerThanTheLogKeeps", LongSetupError, "line 1: expected", OnStandardError},
    FailureCase{"FileAndReason", [](Scene &s) { return s.Run(Words("missing.hex")); },
                "/missing.hex: No such file or directory\r\n"},
    FailureCase{"UtilityTried",
                [](Scene &s) {
                    s.board.WriteFile(QStringLiteral("b.cmd"), QByteArray());
                    return s.Run(Words("b.cmd"), {QStringLiteral("PATH=") + s.board.Path(QStringLiteral("none"))});
                },
                "Error: -1\r\nhex6x: not found on PATH\r\n"},
    FailureCase{"ClosedStandardError",
                [](Scene &s) {
                    s.board.WriteConfig(QString());  // no image: a message for standard error
                    const ClosedPipe closed(STDERR_FILENO);
                    const CorvaneResult r = s.Run(Words("-e -v"), {}, closed.InChild());
                    EXPECT_EQ(s.board.Flash(), QByteArray(0x100, char(0xFF))) << "the erased flash is kept";
                    return r;
                },
                "No (.hex) file was specified.", InLog},
    FailureCase{"ClosedStandardOutput",
                [](Scene &s) {
                    const ClosedPipe closed(STDOUT_FILENO);
                    return s.board.Run(Words("board.txt -t --print-config"), {}, closed.InChild());
                },
                "Cannot print the text configuration: Broken pipe."},
    FailureCase{"FlashOnFullDisk", FlashOnFullDisk, "(CPU).flash: No space left on device.\r\n", Both, true},
    FailureCase{"UserDataOnFullDisk",
                [](Scene &s) {
                    s.board.WriteFile(QStringLiteral("c.bin"), SimulatedBoard::RandomBytes(100000, 8));
                    return s.Run(Words("c.bin"), {s.OnDisk()});
                },
                "(CPU).userdata: No space left on device.\r\n", Both, true},
    FailureCase{"StateFolderThroughAFile",
                [](Scene &s) {
                    return s.Run({}, {QStringLiteral("CORVANE_SIM_DIR=") + s.board.Path(QStringLiteral("a.hex/sim"))});
                },
                "(CPU).lock: Not a directory.\r\n"},
    FailureCase{"UnreadableFlashFile", FolderInPlaceOfTheFlashFile, "Cannot read the simulated flash "},
    FailureCase{"HeldByAnotherRun", HeldByAnotherRun, "is held by another run.\r\n"},
    FailureCase{"ReportIntoMissingFolder",
                [](Scene &s) {
                    const CorvaneResult r = s.Run(Words("--report missing/report.json"));
                    EXPECT_EQ(s.board.Flash().left(16), QByteArray(16, 0x11)) << "the flash work is done";
                    EXPECT_TRUE(s.board.Log().contains("is complete.")) << s.board.Log().constData();
                    return r;
                },
                "Cannot write the run report.\r\n"}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

// An input that is no regular file, a FIFO or a device, in each of its roles.
struct InputRole {
    const char *name;
    std::function<CorvaneResult(Scene &, const QString &input)> run;
    const char *text;
};

class UnusableInput : public ::testing::TestWithParam<std::tuple<InputRole, const char *>> {};

TEST_P(UnusableInput, IsRefusedAtOnce)
{
    const auto &[role, kind] = GetParam();
    Scene scene;
    QString input = QString::fromLatin1(kind);
    if (input == QLatin1String("fifo")) {
        input = scene.board.Path(QStringLiteral("input.fifo"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(input).constData(), 0600), 0);
    }
    ExpectFailure(role.run(scene, input), scene.board, role.text, InLog);
}

INSTANTIATE_TEST_SUITE_P(Roles, UnusableInput, ::testing::Combine(::testing::Values(
    InputRole{"Document",
              [](Scene &s, const QString &in) { return s.board.Run(QStringList{in} + Words("--print-config")); },
              "the file cannot be opened (not a regular file)"},
    InputRole{"TextConfiguration",
              [](Scene &s, const QString &in) { return s.board.Run(QStringList{in} + Words("-t --print-config")); },
              "Cannot open CDD TEXT File."},
    InputRole{"Image", [](Scene &s, const QString &in) { s.board.WriteConfig(in); return s.Run(); },
              "Cannot Open File for Burning."},
    InputRole{"UserFile", [](Scene &s, const QString &in) { return s.Run({in}); },
              "Cannot Open User File for Sending."},
    InputRole{"SetupFile",
              [](Scene &s, const QString &in) { return s.Run({}, {QStringLiteral("CORVANE_SETUP=") + in}); },
              ": not a regular file."},
    InputRole{"ComponentFile",
              [](Scene &s, const QString &in) {
                  s.board.WriteFile(QStringLiteral("board.txt"),
                                    "1064 Simulator 64x (CPU)\n1023 " + in.toUtf8() + "\n");
                  return s.Run();
              },
              "Either I cannot load CVTC"}),
    ::testing::Values("fifo", "/dev/zero")),
    [](const ::testing::TestParamInfo<std::tuple<InputRole, const char *>> &info) {
        return std::string(std::get<0>(info.param).name) + (*std::get<1>(info.param) == 'f' ? "Fifo" : "Device");
    });

} // namespace
