#include "ContentsBuilder.h"
#include "config/CompoundFile.h"
#include "config/ContentsCodec.h"
#include "config/CorvaneDoc.h"
#include "base/ConsolePrompter.h"
#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "support/ScopedAppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QString kOlderSchema = QStringLiteral(
    "The document was created by an older version of the application.\r\n"
    "Default values will be filled-in for unspecified/changed fields.");
const QString kLaterSchema = QStringLiteral(
    "The document was created by a later version of this application.\r\nThis application will terminate.");

// The streams of a compound file as python3-olefile sees them: the listing, then the Contents bytes in hex.
QStringList ReadWithOlefile(const QString &path)
{
    QProcess python;
    const QString program =
        QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    python.start(program, {QStringLiteral("-c"),
                           QStringLiteral("import olefile, sys\n"
                                          "ole = olefile.OleFileIO(sys.argv[1])\n"
                                          "print(ole.listdir())\n"
                                          "print(ole.openstream('Contents').read().hex())\n"),
                           path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return {QString::fromLocal8Bit(python.readAllStandardError())};
    return QString::fromLatin1(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

class CorvaneDoc : public ::testing::Test {
protected:
    ~CorvaneDoc() override { QDir::setCurrent(m_startFolder); }

    QString InDir(const QString &name) const { return m_dir.filePath(name); }
    QString WriteFile(const QString &name, const QByteArray &bytes) const
    {
        QFile file(InDir(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString WriteDocument(const QString &name, const QByteArray &contents, const char *stream = "Contents") const
    {
        EXPECT_EQ(CCompoundFile::WriteStream(InDir(name), stream, contents), QString());
        return InDir(name);
    }

    QString m_startFolder = QDir::currentPath();
    QTemporaryDir m_dir;
    ScopedAppSettings m_settings{QString()};
    ScopedRecordingPrompter m_prompter;
};

TEST_F(CorvaneDoc, NewDocumentSavedAtOnceIs54BytesThatOlefileReads)
{
    theLog.Add(QStringLiteral("from before\r\n"));
    CCorvaneDoc document;
    ASSERT_TRUE(document.OnNewDocument());
    EXPECT_TRUE(theLog.Buffer().isEmpty()) << "creating the target link empties the log";
    EXPECT_EQ(static_cast<const CDocumentFields &>(document), CDocumentFields::NewDocument());
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.GetStoredSchema(), 4);

    ASSERT_TRUE(document.OnSaveDocument(InDir(QStringLiteral("new.cdd"))));
    EXPECT_FALSE(document.IsModified());
    const QStringList ole = ReadWithOlefile(InDir(QStringLiteral("new.cdd")));
    ASSERT_EQ(ole.size(), 2) << ole.join(u'\n').toStdString();
    EXPECT_EQ(ole[0], QStringLiteral("[['Contents']]"));
    EXPECT_EQ(ole[1].size(), 2 * 54);
    EXPECT_EQ(ole[1].toLatin1(), CContentsCodec::Encode(CDocumentFields::NewDocument()).toHex());
}

TEST_F(CorvaneDoc, SavedFieldsOpenAgain)
{
    CCorvaneDoc saved;
    saved.OnNewDocument();
    saved.SetOverrideFlash(1);
    saved.SetFlashBase(0x80000000);
    saved.SetFlashSize(0x40000);
    saved.SetHexCmdFile(QStringLiteral("conv.cmd"));
    saved.SetBurnFile(QStringLiteral("my image.hex"));
    saved.SetCvtcFile(QStringLiteral("cvtc.out"));
    saved.SetImageOffset(0x100);
    saved.SetVerifyWrite(0);
    saved.SetWriteBootAddr(0);
    saved.m_nSubfamily = 0x64;
    saved.m_nFamily = 320;
    saved.m_nConnSelHigh = 2;
    saved.m_nConnSelLow = 3;
    saved.m_strConnection = QStringLiteral("Simulator 64x (CPU)");
    ASSERT_TRUE(saved.OnSaveDocument(InDir(QStringLiteral("b.cdd"))));

    CCorvaneDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(InDir(QStringLiteral("b.cdd"))));
    EXPECT_EQ(static_cast<const CDocumentFields &>(opened), static_cast<const CDocumentFields &>(saved));
    EXPECT_FALSE(opened.IsModified());
    EXPECT_EQ(opened.GetStoredSchema(), 4);
    EXPECT_EQ(opened.GetTitle(), QStringLiteral("b.cdd"));
    EXPECT_TRUE(m_prompter->messages.isEmpty()) << m_prompter->messages.join(u'\n').toStdString();
}

TEST_F(CorvaneDoc, OlderSchemaOpensWithMessageAndDefaults)
{
    const QString path = WriteDocument(QStringLiteral("old.cdd"), ContentsBuilder()
        .U16(3).Str("x.cmd").U32(0x54).U32(0x8000).U32(0x4000).Str("a.hex").U32(0).Str("c.out").U16(1).U16(0)
        .Bytes());
    CCorvaneDoc document;
    ASSERT_TRUE(document.OnOpenDocument(path));
    EXPECT_EQ(m_prompter->messages, QStringList{kOlderSchema});
    EXPECT_EQ(document.GetStoredSchema(), 3);
    EXPECT_EQ(document.m_wSchema, 4);
    EXPECT_EQ(document.m_nFamily, 320);
    EXPECT_EQ(document.m_strConnection, QStringLiteral("Disconnected"));
    EXPECT_EQ(document.m_nFlashBase, 0x8000u);
    EXPECT_EQ(document.m_nFlashSize, 0x4000u);
    EXPECT_EQ(document.m_bWriteBootAddr, 0);
}

TEST_F(CorvaneDoc, LaterSchemaKeepsConstructorValuesAndClosesTheProgram)
{
    const QString path = WriteDocument(QStringLiteral("later.cdd"), ContentsBuilder().U16(5).Str("x").Bytes());
    for (const bool unattended : {false, true}) {
        ScopedAppSettings settings(unattended ? QStringLiteral("later.cdd -c") : QString());
        ScopedRecordingPrompter prompter;
        CCorvaneDoc document;
        EXPECT_TRUE(document.OnOpenDocument(path));
        EXPECT_EQ(prompter->messages, QStringList{kLaterSchema});
        EXPECT_EQ(settings.closeRequests, 1);
        EXPECT_EQ(theApp().RunFailed(), unattended);
        EXPECT_EQ(document.GetStoredSchema(), 5);
        EXPECT_EQ(static_cast<const CDocumentFields &>(document), CDocumentFields());
    }
}

struct UnreadableCase {
    const char *name;
    std::function<QByteArray(const QByteArray &goodFile)> fileBytes;  // from a good document's bytes
    const char *reason;
};

TEST_F(CorvaneDoc, UnreadableFilesAreRefusedNamingTheFile)
{
    const QByteArray good = [this] {
        QFile file(WriteDocument(QStringLiteral("good.cdd"), CContentsCodec::Encode(CDocumentFields::NewDocument())));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const auto documentWith = [this](const QByteArray &contents, const char *stream = "Contents") {
        QFile file(WriteDocument(QStringLiteral("built.cdd"), contents, stream));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };
    const QList<UnreadableCase> cases = {
        {"text file", [](const QByteArray &) { return QByteArray("1019 a.hex\r\n"); }, "it is not a compound file"},
        {"empty file", [](const QByteArray &) { return QByteArray(); }, "it is not a compound file"},
        {"header only", [](const QByteArray &g) { return g.left(512); }, "it is not a compound file"},
        {"cut in half", [](const QByteArray &g) { return g.left(g.size() / 2); }, "cut short"},
        {"no Contents stream", [&](const QByteArray &) { return documentWith("\x04\x00", "Other"); },
         "it has no \"Contents\" stream"},
        {"one byte of Contents", [&](const QByteArray &) { return documentWith("\x04"); },
         "shorter than schema 0 needs"},
        {"schema 4 cut after field 3", [&](const QByteArray &) { return documentWith(QByteArray::fromHex("04000000000000")); },
         "shorter than schema 4 needs"},
        {"string beyond the end", [&](const QByteArray &) { return documentWith(QByteArray::fromHex("0400ffffffffffff7f")); },
         "a string length in its \"Contents\" stream runs past the stream's end"},
    };
    for (const UnreadableCase &c : cases) {
        for (const bool unattended : {false, true}) {
            SCOPED_TRACE(c.name);
            const QString path = WriteFile(QStringLiteral("bad.cdd"), c.fileBytes(good));
            ScopedAppSettings settings(unattended ? QStringLiteral("bad.cdd -c") : QString());
            ScopedRecordingPrompter prompter;
            CCorvaneDoc document;
            EXPECT_FALSE(document.OnOpenDocument(path));
            ASSERT_EQ(prompter->messages.size(), 1);
            EXPECT_TRUE(prompter->messages[0].startsWith(QStringLiteral("Cannot read the document %1: ").arg(path)))
                << prompter->messages[0].toStdString();
            EXPECT_TRUE(prompter->messages[0].contains(QString::fromLatin1(c.reason)))
                << prompter->messages[0].toStdString();
            EXPECT_EQ(theApp().RunFailed(), unattended);
        }
    }
    CCorvaneDoc document;
    EXPECT_FALSE(document.OnOpenDocument(InDir(QStringLiteral("missing.cdd"))));
    EXPECT_TRUE(m_prompter->messages.last().endsWith(QStringLiteral("the file cannot be opened (No such file or directory).")))
        << m_prompter->messages.last().toStdString();
}

TEST_F(CorvaneDoc, CurrentDirectoryFollowsTheDocument)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("sub/deeper")));
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    CCorvaneDoc document;
    document.OnNewDocument();
    // The relative name counts from where the save starts, not from the folder it enters.
    ASSERT_TRUE(document.OnSaveDocument(QStringLiteral("sub/a.cdd")));
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(InDir(QStringLiteral("sub"))).canonicalFilePath());
    EXPECT_TRUE(QFile::exists(InDir(QStringLiteral("sub/a.cdd"))));
    EXPECT_EQ(document.GetPathName(), QDir::cleanPath(QDir::current().absoluteFilePath(QStringLiteral("a.cdd"))));

    CCorvaneDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(QStringLiteral("deeper/../a.cdd")));
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(InDir(QStringLiteral("sub"))).canonicalFilePath());
    EXPECT_TRUE(m_prompter->messages.isEmpty());
}

TEST_F(CorvaneDoc, SaveWritesBesideAndRenamesOverTheOldFile)
{
    CCorvaneDoc document;
    document.OnNewDocument();
    const QString path = InDir(QStringLiteral("a.cdd"));
    ASSERT_TRUE(document.OnSaveDocument(path));
    // A second name for the old file keeps the old bytes only if the save did not write into it.
    const QString alias = InDir(QStringLiteral("alias.cdd"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(alias).constData()), 0);
    document.SetBurnFile(QStringLiteral("changed.hex"));
    ASSERT_TRUE(document.OnSaveDocument(path));

    CCorvaneDoc before, after;
    ASSERT_TRUE(before.OnOpenDocument(alias));
    ASSERT_TRUE(after.OnOpenDocument(path));
    EXPECT_EQ(before.m_strBurnFile, QString());
    EXPECT_EQ(after.m_strBurnFile, QStringLiteral("changed.hex"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

TEST_F(CorvaneDoc, FailedSaveKeepsTheDocumentModified)
{
    CCorvaneDoc document;
    document.OnNewDocument();
    const QString path = InDir(QStringLiteral("no-such-folder/a.cdd"));
    EXPECT_FALSE(document.OnSaveDocument(path));
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(document.GetPathName().isEmpty());
    ASSERT_EQ(m_prompter->messages.size(), 1);
    EXPECT_TRUE(m_prompter->messages[0].startsWith(QStringLiteral("Cannot save the document %1: ").arg(path)));
}

TEST_F(CorvaneDoc, SettersMarkTheDocumentModified)
{
    using Setter = std::function<void(CCorvaneDoc &)>;
    struct SetterCase {
        const char *name;
        Setter set;
        bool marks;
    };
    const QList<SetterCase> cases = {
        {"hex cmd file", [](CCorvaneDoc &d) { d.SetHexCmdFile(QStringLiteral("x")); }, true},
        {"override", [](CCorvaneDoc &d) { d.SetOverrideFlash(1); }, true},
        {"base, override off", [](CCorvaneDoc &d) { d.SetFlashBase(5); }, false},
        {"size, override off", [](CCorvaneDoc &d) { d.SetFlashSize(5); }, false},
        {"base, override on", [](CCorvaneDoc &d) { d.m_bOverrideFlash = 1; d.SetFlashBase(5); }, true},
        {"size, override on", [](CCorvaneDoc &d) { d.m_bOverrideFlash = 1; d.SetFlashSize(5); }, true},
        {"image offset", [](CCorvaneDoc &d) { d.SetImageOffset(1); }, true},
        {"burn file", [](CCorvaneDoc &d) { d.SetBurnFile(QStringLiteral("x")); }, true},
        {"cvtc file", [](CCorvaneDoc &d) { d.SetCvtcFile(QStringLiteral("x")); }, true},
        {"verify", [](CCorvaneDoc &d) { d.SetVerifyWrite(0xFF); }, true},
        {"boot address", [](CCorvaneDoc &d) { d.SetWriteBootAddr(0); }, true},
    };
    for (const SetterCase &c : cases) {
        CCorvaneDoc document;
        c.set(document);
        EXPECT_EQ(document.IsModified(), c.marks) << c.name;
    }
    CCorvaneDoc document;
    document.SetFlashBase(0x1234);
    document.SetVerifyWrite(0xFF);
    EXPECT_EQ(document.m_nFlashBase, 0x1234u);
    EXPECT_EQ(document.m_bVerifyWrite, 0xFF);
}

TEST_F(CorvaneDoc, SaveModifiedAsksOnlyInteractiveRuns)
{
    const QString path = InDir(QStringLiteral("ask.cdd"));
    CCorvaneDoc document;
    document.OnNewDocument();
    using Answer = CPrompter::Answer;
    m_prompter->choices = {Answer::Yes};
    EXPECT_FALSE(document.SaveModified()) << "yes without a file name keeps the document open";
    EXPECT_EQ(m_prompter->questions, QStringList{QStringLiteral("Save changes to %1?").arg(document.GetTitle())});

    m_prompter->choices = {Answer::Cancel};
    EXPECT_FALSE(document.SaveModified([&] { return path; })) << "cancel keeps the document open";
    m_prompter->choices = {Answer::No};
    EXPECT_TRUE(document.SaveModified());
    EXPECT_FALSE(QFile::exists(path));

    m_prompter->choices = {Answer::Yes};
    EXPECT_TRUE(document.SaveModified([&] { return path; }));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(document.IsModified());

    m_prompter->questions.clear();
    EXPECT_TRUE(document.SaveModified());
    document.SetBurnFile(QStringLiteral("x"));
    {
        ScopedAppSettings unattended(QStringLiteral("ask.cdd -c"));
        std::unique_ptr<CPrompter> recording = InstallPrompter(std::make_unique<CConsolePrompter>());
        EXPECT_TRUE(document.SaveModified());
        InstallPrompter(std::move(recording));
    }
    EXPECT_TRUE(m_prompter->questions.isEmpty());
    CCorvaneDoc reread;
    reread.OnOpenDocument(path);
    EXPECT_EQ(reread.m_strBurnFile, QString()) << "unattended runs discard changes";
}

TEST_F(CorvaneDoc, OnlyOneConfigurationAtATime)
{
    const CCorvaneDoc document;
    for (int command : {57600, 57601, 57616})
        EXPECT_TRUE(document.DisablesCommand(command)) << command;
    for (int command : {57602, 57603, 57617, 57664})
        EXPECT_FALSE(document.DisablesCommand(command)) << command;
}

TEST_F(CorvaneDoc, StartDocumentFromTextConfiguration)
{
    const QString text = WriteFile(QStringLiteral("cfg.txt"), "1019 a.hex\n1064 Simulator 54x (CPU)\n");
    ScopedAppSettings settings(text + QStringLiteral(" -t -c"));
    CCorvaneDoc document;
    ASSERT_TRUE(theApp().OpenStartDocument(document));
    EXPECT_EQ(document.m_strBurnFile, InDir(QStringLiteral("a.hex"))) << "named from the text file's folder";
    EXPECT_EQ(document.m_strConnection, QStringLiteral("Simulator 54x (CPU)"));
    EXPECT_EQ(document.m_bVerifyWrite, 1);
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(document.GetPathName().isEmpty());
    EXPECT_FALSE(theApp().RunFailed());
}

// A text configuration's names count from its own folder; a name that only
// the current folder holds (as such names were taken before) stays, logged.
TEST_F(CorvaneDoc, TextConfigurationNamesCountFromTheTextFilesFolder)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("start/A")));
    for (const char *name : {"start/image.hex", "start/A/comp.sim", "start/cmd.txt"})
        WriteFile(QLatin1String(name), "");
    WriteFile(QStringLiteral("start/A/config.txt"), "1019 ../image.hex\r\n1023 comp.sim\r\n1002 cmd.txt\r\n");
    ASSERT_TRUE(QDir::setCurrent(InDir(QStringLiteral("start"))));
    CCorvaneDoc document;
    ASSERT_TRUE(document.OnNewDocument(QStringLiteral("A/config.txt")));
    EXPECT_EQ(document.m_strBurnFile, QStringLiteral("image.hex"));
    EXPECT_EQ(document.m_strCvtcFile, QStringLiteral("A/comp.sim"));
    EXPECT_EQ(document.m_strHexCmdFile, QStringLiteral("cmd.txt"));
    EXPECT_TRUE(QString::fromUtf8(theLog.Buffer())
                    .contains(QStringLiteral("cmd.txt is not in the folder of the text configuration A/config.txt; "
                                             "the one in the current folder %1 is used.")
                                  .arg(QDir::currentPath())))
        << theLog.Buffer().constData();
    EXPECT_EQ(QDir::currentPath(), QDir(InDir(QStringLiteral("start"))).canonicalPath());
}

TEST_F(CorvaneDoc, SaveAsIntoAnotherFolderKeepsNamingTheSameFiles)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("one/img")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("two/deeper")));
    ASSERT_TRUE(QDir::setCurrent(InDir(QStringLiteral("one"))));
    CCorvaneDoc document;
    document.OnNewDocument();
    document.m_strBurnFile = QStringLiteral("img/a.hex");
    document.m_strCvtcFile = QStringLiteral("/opt/comp.sim");
    ASSERT_TRUE(document.OnSaveDocument(QStringLiteral("doc.cdd")));
    EXPECT_EQ(document.m_strBurnFile, QStringLiteral("img/a.hex")) << "the same folder changes nothing";
    ASSERT_TRUE(document.OnSaveDocument(InDir(QStringLiteral("two/deeper/doc.cdd"))));
    EXPECT_EQ(document.m_strBurnFile, QStringLiteral("../../one/img/a.hex"));
    EXPECT_EQ(document.m_strCvtcFile, QStringLiteral("/opt/comp.sim"));
    EXPECT_TRUE(document.m_strHexCmdFile.isEmpty());

    CCorvaneDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(InDir(QStringLiteral("two/deeper/doc.cdd"))));
    EXPECT_EQ(QFileInfo(opened.m_strBurnFile).absoluteFilePath(),
              QDir(InDir(QStringLiteral("one/img"))).canonicalPath() + QStringLiteral("/a.hex"));
}

} // namespace
