#include "image/HexConversionRun.h"

#include "app/CorvaneApp.h"
#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "support/ScopedAppSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A fake conversion utility on PATH that records its arguments in the current
// directory and exits with $FAKE_HEX_STATUS.
class HexConversionRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bin.isValid() && m_work.isValid());
        m_oldPath = qgetenv("PATH");
        m_oldDir = QDir::currentPath();
        qputenv("PATH", m_bin.path().toLocal8Bit());
        QDir::setCurrent(m_work.path());
        theLog.Clear();
        InstallUtility(QStringLiteral("hex55"));
        InstallUtility(QStringLiteral("hex6x"));
    }
    void TearDown() override
    {
        qputenv("PATH", m_oldPath);
        qunsetenv("FAKE_HEX_STATUS");
        QDir::setCurrent(m_oldDir);
        theLog.Clear();
    }

    void InstallUtility(const QString &name)
    {
        QFile script(m_bin.filePath(name));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "printf '%s\\n' \"$0\" \"$#\" \"$1\" > invoked.txt\n"
                     "exit \"${FAKE_HEX_STATUS:-0}\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    QStringList Invocation() const
    {
        QFile file(m_work.filePath(QStringLiteral("invoked.txt")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_bin;
    QTemporaryDir m_work;
    QByteArray m_oldPath;
    QString m_oldDir;
    ScopedRecordingPrompter m_prompter;
};

TEST_F(HexConversionRunTest, RunsTheSubfamilyUtilityWithTheCommandFile)
{
    EXPECT_FALSE(HexConversionRun(QStringLiteral("flash.cmd"), 0x55).has_value());
    const QStringList invocation = Invocation();
    ASSERT_EQ(invocation.size(), 3);
    EXPECT_TRUE(invocation[0].endsWith(QLatin1String("/hex55")));
    EXPECT_EQ(invocation[1], QStringLiteral("1"));
    EXPECT_EQ(invocation[2], QStringLiteral("flash.cmd"));
    EXPECT_TRUE(theLog.Buffer().isEmpty());
}

TEST_F(HexConversionRunTest, PathWithBlanksAndShellCharactersArrivesUnchanged)
{
    const QString path = QStringLiteral("my dir/a b;touch pwned$(touch pwned2)|`id`&.cmd");
    EXPECT_FALSE(HexConversionRun(path, 0x64).has_value());
    const QStringList invocation = Invocation();
    ASSERT_EQ(invocation.size(), 3);
    EXPECT_EQ(invocation[1], QStringLiteral("1"));
    EXPECT_EQ(invocation[2], path);
    EXPECT_FALSE(QFile::exists(m_work.filePath(QStringLiteral("pwned"))));
    EXPECT_FALSE(QFile::exists(m_work.filePath(QStringLiteral("pwned2"))));
}

TEST_F(HexConversionRunTest, FailuresAreReturnedWithTheirNumber)
{
    struct Case {
        int subfamily;
        const char *status;
        QString message;
    };
    const QString hex55 = m_bin.filePath(QStringLiteral("hex55"));
    const Case cases[] = {
        {0x55, "3", QStringLiteral("Hex Conversion Command Execution Error: 3\r\n%1: exit status 3\r\n").arg(hex55)},
        {0x54, "0", QStringLiteral("Hex Conversion Command Execution Error: -1\r\nhex500: not found on PATH\r\n")},
        {0, "0", QStringLiteral("Hex Conversion Command Execution Error: -1\r\n"
                                "There is no hex conversion utility for this processor.\r\n")},
        {0x99, "0", QStringLiteral("Hex Conversion Command Execution Error: -1\r\n"
                                   "There is no hex conversion utility for this processor.\r\n")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.subfamily);
        qputenv("FAKE_HEX_STATUS", c.status);
        const std::optional<CFailure> failure = HexConversionRun(QStringLiteral("flash.cmd"), c.subfamily);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->text, c.message);
        EXPECT_EQ(failure->shown, CFailure::Shown::InLog);
        EXPECT_EQ(failure->then, CFailure::Then::UnattendedRunEnds);
        EXPECT_TRUE(theLog.Buffer().isEmpty());
        EXPECT_TRUE(m_prompter->logsShown.isEmpty());
    }
}

TEST_F(HexConversionRunTest, UnattendedFailureIsLoggedAndClosesTheRun)
{
    ScopedAppSettings settings(QStringLiteral("board.cdd -c"));
    qputenv("FAKE_HEX_STATUS", "3");

    const std::optional<CFailure> failure = HexConversionRun(QStringLiteral("flash.cmd"), 0x55);
    ASSERT_TRUE(failure.has_value());
    theReporter().Report(*failure);
    EXPECT_TRUE(theLog.Buffer().contains("Hex Conversion Command Execution Error: 3\r\n"));
    EXPECT_TRUE(m_prompter->logsShown.isEmpty());
    EXPECT_TRUE(theApp().RunFailed());
    EXPECT_EQ(settings.closeRequests, 1);
}

TEST_F(HexConversionRunTest, EmptyCommandFileRunsNothingAndIsNoFailure)
{
    EXPECT_FALSE(HexConversionRun(QString(), 0x55).has_value());
    EXPECT_TRUE(Invocation().isEmpty());
    EXPECT_TRUE(theLog.Buffer().isEmpty());
    EXPECT_TRUE(m_prompter->logsShown.isEmpty());
}

} // namespace
