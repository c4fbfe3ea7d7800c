// A simulated board keeps what a run tells it, or the run fails: state files
// that cannot be written or read, and a board that another run holds.
#include "SimulatedBoard.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kFlashFile = QStringLiteral("Simulator 64x (CPU).flash");

struct Scene {
    Scene()
        : board(QStringLiteral("64x"))
    {
        board.WriteSmallBoard(0x1000, QByteArray(64, 0x5A));
    }
    ~Scene()
    {
        if (lockFd >= 0)
            ::close(lockFd);
    }
    void WriteImage(char byte) { board.WriteSRecords(QStringLiteral("a.hex"), {{0, QByteArray(64, byte)}}, 2, 1); }
    // Runs with the state folder `simDir`.
    CorvaneResult Run(const QString &simDir, const QStringList &arguments = {}) const
    {
        return board.Run(QStringList{QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("-c")}
                             + arguments,
                         {QStringLiteral("CORVANE_SIM_DIR=") + simDir});
    }

    SimulatedBoard board;
    SmallDisk disk;
    int lockFd = -1;
};

struct StateCase {
    const char *name;
    bool needsFullDisk;
    // Prepares the scene; returns the state folder of the run.
    std::function<QString(Scene &)> prepare;
    QStringList arguments;
    const char *logText;
};

class BoardState : public ::testing::TestWithParam<StateCase> {};

TEST_P(BoardState, WhatCannotBeKeptFailsTheRunAndLosesNothing)
{
    const StateCase &c = GetParam();
    Scene scene;
    if (c.needsFullDisk && !scene.disk.IsMounted())
        GTEST_SKIP() << scene.disk.Reason().toStdString();
    const QString simDir = c.prepare(scene);
    const auto flashState = [&] {
        QFile file(QDir(simDir).filePath(kFlashFile));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = flashState();
    const CorvaneResult r = scene.Run(simDir, c.arguments);
    EXPECT_EQ(r.exitCode, 1) << r.err.constData();
    EXPECT_TRUE(scene.board.Log().contains(c.logText)) << scene.board.Log().constData();
    EXPECT_EQ(flashState().toHex(), before.toHex());
}

// A first run leaves a state file, then the disk fills up and the image changes.
QString FullDiskAfterARun(Scene &scene)
{
    const QString simDir = scene.disk.Path(QStringLiteral("sim"));
    EXPECT_EQ(scene.Run(simDir).exitCode, 0);
    scene.disk.Fill();
    scene.WriteImage(0x0F);
    return simDir;
}

QString SmallDiskAndBigUserFile(Scene &scene)
{
    scene.board.WriteFile(QStringLiteral("c.bin"), SimulatedBoard::RandomBytes(100000, 8));
    return scene.disk.Path(QStringLiteral("sim"));
}

QString FolderThroughAFile(Scene &scene)
{
    return scene.board.Path(QStringLiteral("a.hex/sim"));
}

QString FolderInPlaceOfTheFlashFile(Scene &scene)
{
    const QString simDir = scene.board.Path(QStringLiteral("sim"));
    EXPECT_TRUE(QDir().mkpath(QDir(simDir).filePath(kFlashFile)));
    return simDir;
}

QString HeldByAnotherRun(Scene &scene)
{
    const QString simDir = scene.board.Path(QStringLiteral("sim"));
    QDir().mkpath(simDir);
    const QByteArray lockFile = QFile::encodeName(QDir(simDir).filePath(QStringLiteral("Simulator 64x (CPU).lock")));
    scene.lockFd = ::open(lockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    EXPECT_EQ(::flock(scene.lockFd, LOCK_EX | LOCK_NB), 0);
    return simDir;
}

INSTANTIATE_TEST_SUITE_P(Cases, BoardState, ::testing::Values(
    StateCase{"FlashOnFullDisk", true, FullDiskAfterARun, {}, "(CPU).flash: No space left on device.\r\n"},
    StateCase{"UserDataOnFullDisk", true, SmallDiskAndBigUserFile, {QStringLiteral("c.bin")},
              "(CPU).userdata: No space left on device.\r\n"},
    StateCase{"FolderThroughAFile", false, FolderThroughAFile, {}, "(CPU).lock: Not a directory.\r\n"},
    StateCase{"UnreadableFlashFile", false, FolderInPlaceOfTheFlashFile, {}, "Cannot read the simulated flash "},
    StateCase{"HeldByAnotherRun", false, HeldByAnotherRun, {}, "is held by another run."}),
    [](const ::testing::TestParamInfo<StateCase> &info) { return std::string(info.param.name); });

} // namespace
