#include "config/CompoundFile.h"
#include "config/ContentsCodec.h"
#include "support/CorvaneProcess.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ConfigOptions : public ::testing::Test {
protected:
    CorvaneResult Run(const QStringList &arguments) { return RunCorvane(m_dir.path(), arguments); }
    QString InDir(const QString &name) const { return m_dir.filePath(name); }
    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(InDir(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const QString &name) const
    {
        QFile file(InDir(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

TEST_F(ConfigOptions, PrintConfigOfSaveAsGivesBackTheTextConfiguration)
{
    Write(QStringLiteral("board.txt"),
          "# board set-up, kept in version control\n"
          "1064 Simulator 64x (CPU)\n"
          "1023\t/opt/target components/cvtc64.out\n"
          "1019 images/board.hex   # image\n"
          "1016 0x9000 0000\n"
          "1017 0x100000\n"
          "1081 1\n"
          "1039 0\n"
          "1007 0x64\n");
    const CorvaneResult saved = Run({QStringLiteral("board.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"),
                                     QStringLiteral("board.cdd")});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.constData();
    EXPECT_TRUE(saved.out.isEmpty());
    EXPECT_TRUE(saved.err.isEmpty()) << saved.err.constData();

    const CorvaneResult printed = Run({QStringLiteral("board.cdd"), QStringLiteral("--print-config")});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
    EXPECT_EQ(printed.out,
              "1002 \r\n1007 0x64\r\n1016 0x90000000\r\n1017 0x100000\r\n1018 0x0\r\n1019 images/board.hex\r\n"
              "1023 /opt/target components/cvtc64.out\r\n1039 0\r\n1041 1\r\n1064 Simulator 64x (CPU)\r\n1081 0x1\r\n");
    EXPECT_FALSE(QFile::exists(InDir(QStringLiteral("LogCorvane.txt"))));
}

TEST_F(ConfigOptions, NamesCountFromWhereTheRunStarts)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    Write(QStringLiteral("cfg.txt"), "1018 0x20\n");
    ASSERT_EQ(Run({QStringLiteral("cfg.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"),
                   QStringLiteral("sub/a.cdd")}).exitCode, 0);
    // Opening sub/a.cdd enters sub; the new name still counts from the starting folder.
    const CorvaneResult r = Run({QStringLiteral("sub/a.cdd"), QStringLiteral("--save-as"), QStringLiteral("b.cdd"),
                                 QStringLiteral("--print-config")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("1018 0x20\r\n"));
    EXPECT_TRUE(QFile::exists(InDir(QStringLiteral("b.cdd"))));
    EXPECT_FALSE(QFile::exists(InDir(QStringLiteral("sub/b.cdd"))));
}

TEST_F(ConfigOptions, FailuresExitWithOneAndWriteNothing)
{
    ASSERT_EQ(CCompoundFile::WriteStream(InDir(QStringLiteral("later.cdd")), "Contents", QByteArray("\x05\x00", 2)),
              QString());
    Write(QStringLiteral("text.cdd"), "1019 a.hex\n");
    Write(QStringLiteral("unknown.txt"), "1019 a.hex\n1234 what\n");
    Write(QStringLiteral("short.txt"), "1019\n");
    CDocumentFields planted = CDocumentFields::NewDocument();
    planted.m_strBurnFile = QStringLiteral("a.hex\r\n1002 evil.cmd");
    const QByteArray plantedContents = CContentsCodec::Encode(planted);
    ASSERT_EQ(CCompoundFile::WriteStream(InDir(QStringLiteral("planted.cdd")), "Contents", plantedContents), QString());
    struct FailureCase {
        QStringList arguments;
        const char *message;
    };
    const QList<FailureCase> cases = {
        {{QStringLiteral("later.cdd"), QStringLiteral("--print-config")},
         "The document was created by a later version of this application.\nThis application will terminate.\n"},
        {{QStringLiteral("text.cdd"), QStringLiteral("--save-as"), QStringLiteral("new.cdd")},
         "it is not a compound file"},
        {{QStringLiteral("missing.cdd"), QStringLiteral("--print-config")}, "the file cannot be opened"},
        {{QStringLiteral("unknown.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"), QStringLiteral("new.cdd")},
         "*** Text CDD File Error -- Unknown res type in CDD text file.\n"},
        {{QStringLiteral("short.txt"), QStringLiteral("-t"), QStringLiteral("--print-config")},
         "*** Text CDD File Error -- Need 2 items per cdd line.\n"},
        {{QStringLiteral("missing.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"), QStringLiteral("new.cdd")},
         "*** Text CDD File Error *** Cannot open CDD TEXT File.\n"},
        {{QStringLiteral("planted.cdd"), QStringLiteral("--print-config")},
         "The value of key 1019 holds a line break; printed, it would read back as further keys.\n"},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QFile::remove(InDir(QStringLiteral("LogCorvane.txt")));
        const CorvaneResult r = Run(c.arguments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
        EXPECT_FALSE(QFile::exists(InDir(QStringLiteral("new.cdd"))));
        // The log file keeps the message: creating the document's link empties the log before it.
        QByteArray logged = Read(QStringLiteral("LogCorvane.txt"));
        EXPECT_TRUE(logged.replace("\r\n", "\n").contains(QByteArray(c.message))) << logged.constData();
    }
}

TEST_F(ConfigOptions, SaveFailureNamesTheFile)
{
    Write(QStringLiteral("cfg.txt"), "1018 4\n");
    const CorvaneResult r = Run({QStringLiteral("cfg.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"),
                                 QStringLiteral("/nonexistent-folder/new.cdd")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("Cannot save the document /nonexistent-folder/new.cdd: ")) << r.err.constData();
}

TEST_F(ConfigOptions, SaveOntoAFullDiskKeepsTheOldDocument)
{
    SmallDisk disk;
    if (!disk.IsMounted())
        GTEST_SKIP() << disk.Reason().toStdString();
    const QString document = disk.Path(QStringLiteral("board.cdd"));
    Write(QStringLiteral("old.txt"), "1018 4\n");
    Write(QStringLiteral("new.txt"), "1019 a-much-longer-image-name.hex\n1018 8\n");
    ASSERT_EQ(Run({QStringLiteral("old.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"), document}).exitCode, 0);
    QFile saved(document);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    disk.Fill();
    const CorvaneResult r = Run({QStringLiteral("new.txt"), QStringLiteral("-t"), QStringLiteral("--save-as"), document});
    EXPECT_EQ(r.exitCode, 1);
    const QString message = QStringLiteral("Cannot save the document %1: No space left on device.").arg(document);
    EXPECT_TRUE(r.err.contains(message.toUtf8())) << r.err.constData();
    QFile after(document);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

TEST_F(ConfigOptions, UnusableCommandLinesExitWithTwo)
{
    const CorvaneResult noPath = Run({QStringLiteral("b.cdd"), QStringLiteral("--save-as")});
    EXPECT_EQ(noPath.exitCode, 2);
    EXPECT_EQ(noPath.err, "--save-as needs the name of the new document.\n");
    const CorvaneResult switchAsPath = Run({QStringLiteral("b.txt"), QStringLiteral("--save-as"), QStringLiteral("-t")});
    EXPECT_EQ(switchAsPath.exitCode, 2);
    const CorvaneResult noDocument = Run({QStringLiteral("--print-config")});
    EXPECT_EQ(noDocument.exitCode, 2);
    EXPECT_EQ(noDocument.err, "Command line invocation of Corvane must include a .cdd file.\n");
}

} // namespace
