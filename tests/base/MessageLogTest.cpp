#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Line(int index, int length)
{
    // A line of exactly `length` characters including its "\r\n".
    QString text = QStringLiteral("%1:").arg(index, 2, 10, QLatin1Char('0'));
    text += QString(length - 2 - text.size(), u'x');
    return text + QLatin1String("\r\n");
}

TEST(MessageLog, FirstAddStartsWithOneTimeStampLine)
{
    CMessageLog log;
    log.Add(QStringLiteral("first\r\n"));
    log.Add(QStringLiteral("second\r\n"));
    const QString buffer = QString::fromUtf8(log.Buffer());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^## [^\r\n]+\r\nfirst\r\nsecond\r\n$")).match(buffer).hasMatch())
        << buffer.toStdString();

    log.Clear();
    EXPECT_TRUE(log.Buffer().isEmpty());
    log.Add(QStringLiteral("again\r\n"));
    EXPECT_TRUE(log.Buffer().startsWith("## "));
    EXPECT_EQ(log.Buffer().count("## "), 1);
}

TEST(MessageLog, BoundDropsWholeLeadingLines)
{
    CMessageLog log;
    for (int i = 0; i < 20; ++i) {
        log.Add(Line(i, 50));
        ASSERT_LE(log.Buffer().size(), CMessageLog::kMaxBufferLength);
    }
    // 384 characters hold seven lines of 50; the time stamp went with the first removal.
    const QByteArray buffer = log.Buffer();
    EXPECT_FALSE(buffer.contains("## "));
    EXPECT_TRUE(buffer.startsWith("\n13:")) << buffer.constData();
    EXPECT_TRUE(buffer.endsWith(Line(19, 50).toUtf8()));
    EXPECT_EQ(buffer.size(), 7 * 50 + 1);
}

TEST(MessageLog, LongTextWithoutCarriageReturnStaysWhole)
{
    CMessageLog log;
    const QString longText(500, u'a');
    log.Add(longText);
    // The time-stamp line is dropped; the text itself is never cut.
    EXPECT_EQ(log.Buffer(), "\n" + longText.toUtf8());
    log.Add(QStringLiteral("b"));
    EXPECT_EQ(log.Buffer().size(), 502);
}

TEST(MessageLog, EachBoxShowsTheMessagesSinceTheLastWithoutTimeStampOrTrace)
{
    ScopedRecordingPrompter prompter;
    CMessageLog log;
    log.AddTrace(QStringLiteral("CCS created OK.\r\n"));
    log.Add(QStringLiteral("erase failed\r\n"));
    log.AddAndShow(QStringLiteral("program failed\r\n"));
    log.AddAndShow();
    // A later failure's box holds none of the earlier one's texts; the log keeps them all.
    log.Add(QStringLiteral("Req. CVTC Load.\r\n"));
    log.AddAndShow(QStringLiteral("download failed\r\n"));
    ASSERT_EQ(prompter->logsShown.size(), 2);
    EXPECT_EQ(prompter->logsShown[0], QStringLiteral("erase failed\r\nprogram failed\r\n"));
    EXPECT_EQ(prompter->logsShown[1], QStringLiteral("Req. CVTC Load.\r\ndownload failed\r\n"));
    EXPECT_TRUE(log.Buffer().startsWith("## "));
    EXPECT_TRUE(log.Buffer().endsWith(
        "CCS created OK.\r\nerase failed\r\nprogram failed\r\nReq. CVTC Load.\r\ndownload failed\r\n"));
    log.Clear();  // no log file in the test's folder
}

TEST(MessageLog, FlushWritesPathOrDefaultNameAndEmpties)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        CMessageLog log;
        log.Add(QStringLiteral("to default\r\n"));
        log.Flush();
        EXPECT_TRUE(log.Buffer().isEmpty());
    }
    EXPECT_TRUE(ReadFile(dir.filePath(QStringLiteral("LogCorvane.txt"))).endsWith("to default\r\n"));
    {
        CMessageLog log;
        log.SetPath(dir.filePath(QStringLiteral("custom.log")));
        log.Add(QStringLiteral("to custom\r\n"));
    } // destruction flushes
    EXPECT_TRUE(ReadFile(dir.filePath(QStringLiteral("custom.log"))).endsWith("to custom\r\n"));
    {
        CMessageLog log; // nothing collected: the existing file stays as it was
    }
    EXPECT_TRUE(ReadFile(dir.filePath(QStringLiteral("LogCorvane.txt"))).endsWith("to default\r\n"));
    QDir::setCurrent(previous);
}

TEST(MessageLog, UnwritablePathLosesTextQuietly)
{
    CMessageLog log;
    log.SetPath(QStringLiteral("/nonexistent-folder/sub/log.txt"));
    log.Add(QStringLiteral("lost\r\n"));
    log.Flush();
    EXPECT_TRUE(log.Buffer().isEmpty());
}

} // namespace
