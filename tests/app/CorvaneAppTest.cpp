#include "app/CorvaneApp.h"
#include "app/ExitStatus.h"
#include "base/MessageLog.h"
#include "config/CorvaneDoc.h"
#include "support/RecordingPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using StartMode = CCorvaneApp::StartMode;
using ShellCommand = CCorvaneCommandLineInfo::ShellCommand;

struct Started {
    CCorvaneApp app;
    StartMode mode;
};

std::unique_ptr<Started> Start(const QString &line)
{
    CCorvaneCommandLineInfo info;
    info.Parse(line.split(u' ', Qt::SkipEmptyParts));
    auto started = std::make_unique<Started>();
    started->mode = started->app.ApplyCommandLine(info);
    return started;
}

TEST(CorvaneApp, CommandLineRunWithEraseAndFurtherFiles)
{
    const auto s = Start(QStringLiteral("b.cdd -c -e a.hex b.cmd c.bin"));
    EXPECT_EQ(s->mode, StartMode::CommandLineRun);
    EXPECT_FALSE(s->app.IsInteractive());
    EXPECT_TRUE(s->app.EraseRequested());
    EXPECT_EQ(s->app.FurtherFileCount(), 3);
    EXPECT_EQ(s->app.FurtherFile(0), QStringLiteral("a.hex"));
    EXPECT_EQ(s->app.FurtherFile(2), QStringLiteral("c.bin"));
    EXPECT_EQ(s->app.DocumentPath(), QStringLiteral("b.cdd"));
    EXPECT_EQ(s->app.ShellCommand(), ShellCommand::FileOpen);
}

TEST(CorvaneApp, EraseOnlyCountsInCommandLineRuns)
{
    const auto s = Start(QStringLiteral("b.cdd -e"));
    EXPECT_EQ(s->mode, StartMode::Interactive);
    EXPECT_TRUE(s->app.IsInteractive());
    EXPECT_FALSE(s->app.EraseRequested());
}

TEST(CorvaneApp, SaveFlashValuesAreParsed)
{
    const auto s = Start(QStringLiteral("b.cdd -c -r 0 0x1000"));
    EXPECT_TRUE(s->app.SaveFlashRequested());
    EXPECT_EQ(s->app.SaveFlashStart(), 0u);
    EXPECT_EQ(s->app.SaveFlashLength(), 0x1000u);
    EXPECT_EQ(s->app.FurtherFileCount(), 0);
}

TEST(CorvaneApp, BatchWithoutDocumentIsRefused)
{
    EXPECT_EQ(Start(QStringLiteral("-c"))->mode, StartMode::MissingDocument);
    EXPECT_EQ(Start(QStringLiteral("-q -e -v"))->mode, StartMode::MissingDocument);
}

TEST(CorvaneApp, TextConfigurationBecomesNewDocument)
{
    const auto s = Start(QStringLiteral("cfg.txt -t -c"));
    EXPECT_EQ(s->mode, StartMode::CommandLineRun);
    EXPECT_TRUE(s->app.UseTextConfig());
    EXPECT_EQ(s->app.TextConfigPath(), QStringLiteral("cfg.txt"));
    EXPECT_EQ(s->app.ShellCommand(), ShellCommand::FileNew);
}

TEST(CorvaneApp, NoDocumentMeansNothingToOpen)
{
    const auto s = Start(QStringLiteral("-v -x"));
    EXPECT_EQ(s->mode, StartMode::Interactive);
    EXPECT_EQ(s->app.ShellCommand(), ShellCommand::FileNothing);
    EXPECT_EQ(s->app.ValueCount(), 0);
    EXPECT_EQ(s->app.FurtherFileCount(), -1);
    EXPECT_TRUE(s->app.IsVerbose());
}

TEST(CorvaneApp, ConfigurationOptionsRunUnattended)
{
    const auto s = Start(QStringLiteral("cfg.txt -t --save-as new.cdd --print-config"));
    EXPECT_EQ(s->mode, StartMode::ConfigConversion);
    EXPECT_FALSE(s->app.IsInteractive());
    EXPECT_TRUE(s->app.PrintConfigRequested());
    EXPECT_EQ(s->app.SaveAsPath(), QStringLiteral("new.cdd"));
    EXPECT_EQ(s->app.ShellCommand(), ShellCommand::FileNew);
    EXPECT_EQ(Start(QStringLiteral("b.cdd -c --print-config"))->mode, StartMode::ConfigConversion);
    EXPECT_EQ(Start(QStringLiteral("--print-config"))->mode, StartMode::MissingDocument);
    EXPECT_EQ(Start(QStringLiteral("-v --save-as x.cdd"))->mode, StartMode::MissingDocument);
}

// "-t" makes the start read a text configuration even when no file was named.
TEST(CorvaneApp, StartDocumentFollowsTheShellCommand)
{
    const struct {
        const char *line;
        bool opened;
        const char *message;  // how the one message shown starts; none when null
    } cases[] = {
        {"-t -c", true, "*** Text CDD File Error *** Cannot open CDD TEXT File."},
        {"missing.cdd -c", false, "Cannot read the document "},
        {"-v", false, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        ScopedRecordingPrompter prompter;
        CCorvaneDoc document;
        EXPECT_EQ(Start(QString::fromLatin1(c.line))->app.OpenStartDocument(document), c.opened);
        if (c.message == nullptr) {
            EXPECT_TRUE(prompter->messages.isEmpty());
            continue;
        }
        ASSERT_EQ(prompter->messages.size(), 1);
        EXPECT_TRUE(prompter->messages[0].startsWith(QString::fromLatin1(c.message)))
            << prompter->messages[0].toStdString();
    }
}

class GenerateRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void TearDown() override
    {
        QDir::setCurrent(m_previous);
        theLog.Clear();
        theLog.SetPath(QString());
    }
    int Generate(const QString &line)
    {
        const auto s = Start(line);
        EXPECT_EQ(s->mode, StartMode::GenerateDummyHex);
        return s->app.GenerateDummyHex();
    }

    QTemporaryDir m_dir;
    QString m_previous;
    ScopedRecordingPrompter m_prompter;
};

TEST_F(GenerateRun, WritesFileFromThreeValues)
{
    EXPECT_EQ(Generate(QStringLiteral("-g 0x1000 5 1")), ExitSuccess);
    EXPECT_TRUE(m_prompter->messages.isEmpty());
    QFile file(m_dir.filePath(QStringLiteral("DummyHex.hex")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "S00500000000FA\r\nS30A000010000001020304DB\r\nS70500000000FA\r\n");
}

TEST_F(GenerateRun, WrongValueCountShowsUsage)
{
    EXPECT_EQ(Generate(QStringLiteral("-g 1 2")), ExitUsage);
    EXPECT_EQ(Generate(QStringLiteral("b.cdd -g 1 2 3")), ExitUsage);
    ASSERT_EQ(m_prompter->messages.size(), 2);
    EXPECT_EQ(m_prompter->messages[0], QStringLiteral("Usage: Corvane -g addr datalength MAU\r\n"
                                                      "Corvane -g 0x8000 32768 2\r\n"
                                                      "Corvane -g 0x90000000 0x100 1\r\n"
                                                      "    Creates DummyHex.hex"));
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("DummyHex.hex"))));
}

TEST_F(GenerateRun, GeneratorFailureIsFollowedByFailedToMake)
{
    EXPECT_EQ(Generate(QStringLiteral("-g 0 4 0")), ExitFailure);
    EXPECT_EQ(m_prompter->messages,
              QStringList({QStringLiteral("MAU Factor is incorrect.\r\nApplication will terminate."),
                           QStringLiteral("Failed to make DummyHex.hex.")}));
}

} // namespace
