#include "support/CorvaneProcess.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class StartUp : public ::testing::Test {
protected:
    CorvaneResult Run(const QStringList &arguments) { return RunCorvane(m_dir.path(), arguments); }
    QString InDir(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // A listening socket of the program's name in the child's runtime folder plays the running copy.
    void PlayRunningCopy(QLocalServer &running)
    {
        ASSERT_TRUE(running.listen(QStringLiteral("%1/CVMainWnd-%2").arg(m_dir.path()).arg(getuid())))
            << running.errorString().toStdString();
    }
    QByteArray Read(const char *name) const
    {
        QFile file(InDir(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

TEST_F(StartUp, GenerateWritesDummyHexThatSrecCatAccepts)
{
    const CorvaneResult r = Run({QStringLiteral("-g"), QStringLiteral("0x8000"), QStringLiteral("32768"),
                                 QStringLiteral("2")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty());
    const QByteArray file = Read("DummyHex.hex");
    EXPECT_EQ(file.count("\r\n"), 2050);
    EXPECT_TRUE(file.startsWith("S00500000000FA\r\nS31500008000000102030405060708090A0B0C0D0E0FF2\r\n"));
    EXPECT_FALSE(QFile::exists(InDir("LogCorvane.txt"))) << "a run that collected nothing writes no log";

    QProcess srecCat;
    // Word-addressed records: srec_cat reads the addresses as 16-bit word addresses.
    srecCat.start(QStringLiteral("srec_cat"), {InDir("DummyHex.hex"), QStringLiteral("-motorola"), QStringLiteral("2"),
                                               QStringLiteral("-o"), QStringLiteral("/dev/null")});
    ASSERT_TRUE(srecCat.waitForFinished(30000));
    EXPECT_EQ(srecCat.exitCode(), 0) << srecCat.readAllStandardError().constData();
}

TEST_F(StartUp, GenerateFailuresGoToStandardErrorAndLog)
{
    for (const QStringList &arguments : {QStringList{QStringLiteral("-g"), QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("0")},
                                         QStringList{QStringLiteral("/G"), QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("2")}}) {
        const CorvaneResult r = Run(arguments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("Failed to make DummyHex.hex.")) << r.err.constData();
        EXPECT_TRUE(Read("LogCorvane.txt").contains("Failed to make DummyHex.hex.\r\n"));
    }
    EXPECT_TRUE(Read("LogCorvane.txt").contains("MAU Factor disagrees with odd byte count."));
}

TEST_F(StartUp, UnusableCommandLinesExitWithTwo)
{
    const CorvaneResult usage = Run({QStringLiteral("-g"), QStringLiteral("1"), QStringLiteral("2")});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.startsWith("Usage: Corvane -g addr datalength MAU\n")) << usage.err.constData();

    for (const char *line : {"b.txt -t -c --timeout -1", "b.txt -t -c --timeout abc", "b.txt -t -c --timeout 5s",
                             "b.txt -t -c --timeout", "b.txt -t -c --report"}) {
        const CorvaneResult r = Run(Words(line));
        EXPECT_EQ(r.exitCode, 2) << line;
        EXPECT_TRUE(r.err.startsWith("--")) << r.err.constData();
    }

    // A number beyond what the answer timer takes is refused with the largest one.
    const CorvaneResult tooLong = Run(Words("b.txt -t -c --timeout 99999999999"));
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_EQ(tooLong.err, "--timeout takes at most 2147483 seconds (about 24 days; 0 waits as long as the target takes).\n");
    EXPECT_EQ(Run(Words("b.txt -t -c --timeout 2147484")).exitCode, 2);

    const CorvaneResult missing = Run({QStringLiteral("-c")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "Command line invocation of Corvane must include a .cdd file.\n");
}

TEST_F(StartUp, LogPathFromCommandLine)
{
    const CorvaneResult r = Run({QStringLiteral("-o"), QStringLiteral("run.log"), QStringLiteral("-g"),
                                 QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Read("run.log").contains("Usage: Corvane -g"));
    EXPECT_FALSE(QFile::exists(InDir("LogCorvane.txt")));
}

TEST_F(StartUp, UnwritableLogPathKeepsExitStatus)
{
    const CorvaneResult r = Run({QStringLiteral("-o"), QStringLiteral("/nonexistent-dir/x.log"), QStringLiteral("-g"),
                                 QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(StartUp, HelpAndVersion)
{
    const CorvaneResult help = Run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: corvane"));
    const CorvaneResult version = Run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("Corvane ")) << version.out.constData();
}

TEST_F(StartUp, OddCommandLinesNeverCrash)
{
    // Lines that open the desktop window hand over to the running copy and end.
    QLocalServer running;
    PlayRunningCopy(running);
    QStringList many;
    for (int i = 0; i < 1000; ++i)
        many << QStringLiteral("/%1").arg(i);
    const QList<QStringList> lines = {
        {QString(), QString()},
        {QStringLiteral("-g"), QString(), QString(), QString()},
        {QStringLiteral("-g"), QStringLiteral("99999999999999999999"), QStringLiteral("0"), QStringLiteral("1")},
        {QStringLiteral("-"), QStringLiteral("/"), QStringLiteral("--"), QStringLiteral("-r")},
        many,
    };
    for (const QStringList &arguments : lines) {
        const CorvaneResult r = Run(arguments);
        EXPECT_GE(r.exitCode, 0) << arguments.join(u' ').left(80).toStdString() << r.err.constData();
        EXPECT_LE(r.exitCode, 2);
    }
}

TEST_F(StartUp, UnattendedRunRefusesWhileAnotherCopyRuns)
{
    QLocalServer running;
    PlayRunningCopy(running);

    const CorvaneResult r = Run({QStringLiteral("-g"), QStringLiteral("0"), QStringLiteral("16"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Another copy of Corvane is running.\n");
    EXPECT_FALSE(QFile::exists(InDir("DummyHex.hex")));
}

TEST_F(StartUp, ASecondDesktopCopyActivatesTheRunningOneAndEnds)
{
    QLocalServer running;
    PlayRunningCopy(running);
    const CorvaneResult r = Run({QStringLiteral("board.cdd")});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_FALSE(QFile::exists(InDir("LogCorvane.txt")));
    // The copy first looks whether the running one answers, then asks it to come to the front.
    QByteArray received;
    while (received.isEmpty() && running.waitForNewConnection(5000)) {
        QLocalSocket *connection = running.nextPendingConnection();
        if (connection->bytesAvailable() == 0)
            connection->waitForReadyRead(1000);
        received += connection->readAll();
    }
    EXPECT_EQ(received, QByteArray("activate\n"));
}

// A listener where the socket used to be, in the shared temporary folder, is
// no running copy; without a private runtime folder the copy makes its own.
struct SocketCase {
    const char *name;
    const char *runtimeFolder;  // under the test folder, with `runtimeMode`; empty: none
    int runtimeMode;
    bool makesOwnFolder;
};

class OneCopySocket : public StartUp, public ::testing::WithParamInterface<SocketCase> {};

TEST_P(OneCopySocket, OnlyAPrivateRunningCopyCounts)
{
    const SocketCase &c = GetParam();
    QLocalServer other;
    PlayRunningCopy(other);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), *c.runtimeFolder ? InDir(c.runtimeFolder) : QString());
    if (*c.runtimeFolder) {
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QString::fromLatin1(c.runtimeFolder)));
        ::chmod(QFile::encodeName(InDir(c.runtimeFolder)).constData(), mode_t(c.runtimeMode));
    }
    EXPECT_EQ(RunCorvane(m_dir.path(), Words("-g 0 16 1"), environment).exitCode, 0);
    EXPECT_TRUE(QFile::exists(InDir("DummyHex.hex")));
    struct stat own {};
    const QByteArray ownFolder = QFile::encodeName(m_dir.filePath(QStringLiteral("corvane-%1").arg(getuid())));
    EXPECT_EQ(::lstat(ownFolder.constData(), &own) == 0 ? int(own.st_mode & 07777) : -1, c.makesOwnFolder ? 0700 : -1);
}

INSTANTIATE_TEST_SUITE_P(Folders, OneCopySocket, ::testing::Values(
    SocketCase{"PrivateRuntimeFolder", "run", 0700, false},
    SocketCase{"RuntimeFolderOthersMayEnter", "open", 0777, true},
    SocketCase{"NoRuntimeFolder", "", 0, true}),
    [](const ::testing::TestParamInfo<SocketCase> &info) { return std::string(info.param.name); });

TEST_F(StartUp, StaleSocketOfDeadCopyIsTakenOver)
{
    QFile stale(m_dir.filePath(QStringLiteral("CVMainWnd-%1").arg(getuid())));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    const CorvaneResult r = Run({QStringLiteral("-g"), QStringLiteral("0"), QStringLiteral("16"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
}

} // namespace

namespace {

TEST(DesktopStart, WithoutDisplayExplainsInsteadOfAborting)
{
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("TMPDIR"), dir.path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(CORVANE_BINARY), QStringList());
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("there is no display for the desktop window"));
}

} // namespace
