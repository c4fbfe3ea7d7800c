#include "app/CommandLineInfo.h"

#include <gtest/gtest.h>

namespace {

using ShellCommand = CCorvaneCommandLineInfo::ShellCommand;

CCorvaneCommandLineInfo Parse(const QString &line)
{
    CCorvaneCommandLineInfo info;
    info.Parse(line.isEmpty() ? QStringList() : line.split(u' '));
    return info;
}

// What a command line should set, written compactly: switches as letters.
struct GrammarCase {
    const char *line;
    const char *flags;      // letters of the switches that must be set (c, e, g, v, t, r, o)
    const char *fileName;   // document name the framework takes
    const char *values;     // collected values, joined by '|'
    const char *saveStart;
    const char *saveLength;
    const char *logPath;
};

class CommandLineGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(CommandLineGrammar, SetsFieldsAsExpected)
{
    const GrammarCase &c = GetParam();
    const CCorvaneCommandLineInfo info = Parse(QString::fromLatin1(c.line));
    const QString flags = QString::fromLatin1(c.flags);
    SCOPED_TRACE(c.line);
    EXPECT_EQ(info.m_bBatch, flags.contains(u'c'));
    EXPECT_EQ(info.m_bErase, flags.contains(u'e'));
    EXPECT_EQ(info.m_bGenerate, flags.contains(u'g'));
    EXPECT_EQ(info.m_bVerbose, flags.contains(u'v'));
    EXPECT_EQ(info.m_bTextConfig, flags.contains(u't'));
    EXPECT_EQ(info.m_bSaveFlash, flags.contains(u'r'));
    EXPECT_EQ(info.m_bLogPath, flags.contains(u'o'));
    EXPECT_EQ(info.m_strFileName, QString::fromLatin1(c.fileName));
    EXPECT_EQ(info.m_nShellCommand, *c.fileName ? ShellCommand::FileOpen : ShellCommand::FileNew);
    EXPECT_EQ(info.m_values.join(u'|'), QString::fromLatin1(c.values));
    EXPECT_EQ(info.m_strSaveFlashStart, QString::fromLatin1(c.saveStart));
    EXPECT_EQ(info.m_strSaveFlashLength, QString::fromLatin1(c.saveLength));
    EXPECT_EQ(info.m_strLogPath, QString::fromLatin1(c.logPath));
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineGrammar, ::testing::Values(
    GrammarCase{"", "", "", "", "", "", ""},
    GrammarCase{"b.cdd -c -e", "ce", "b.cdd", "b.cdd", "", "", ""},
    GrammarCase{"b.cdd -q", "c", "b.cdd", "b.cdd", "", "", ""},
    GrammarCase{"b.cdd /C /E /V", "cev", "b.cdd", "b.cdd", "", "", ""},
    GrammarCase{"b.cdd -Verbose -cat -quiet", "vc", "b.cdd", "b.cdd", "", "", ""},
    GrammarCase{"b.cdd -x -zz -1 --unknown", "", "b.cdd", "b.cdd", "", "", ""},
    GrammarCase{"b.cdd -c -r 0 0x1000", "cr", "b.cdd", "b.cdd", "0", "0x1000", ""},
    GrammarCase{"b.cdd -r 0 -c 0x1000 a.hex", "cr", "b.cdd", "b.cdd|a.hex", "0", "0x1000", ""},
    GrammarCase{"b.cdd -c a.hex b.cmd c.bin", "c", "b.cdd", "b.cdd|a.hex|b.cmd|c.bin", "", "", ""},
    GrammarCase{"b.cdd -c -o log1 log2", "co", "b.cdd", "b.cdd", "", "", "log2"},
    GrammarCase{"b.cdd -o -r 1 2 log", "or", "b.cdd", "b.cdd", "1", "2", "log"},
    GrammarCase{"-g 0x8000 32768 2", "g", "", "0x8000|32768|2", "", "", ""},
    GrammarCase{"b.cdd -g 1 2 3", "g", "b.cdd", "b.cdd|1|2|3", "", "", ""},
    GrammarCase{"-g -c /o --help 5", "g", "", "-c|/o|--help|5", "", "", ""},
    GrammarCase{"-r 0 4 b.cdd", "r", "0", "b.cdd", "0", "4", ""},
    GrammarCase{"cfg.txt -t -c", "tc", "cfg.txt", "cfg.txt", "", "", ""},
    GrammarCase{"/home/u/b.cdd -c -o /tmp/log.txt", "co", "/home/u/b.cdd", "/home/u/b.cdd", "", "", "/tmp/log.txt"},
    GrammarCase{"/x.cdd /c", "c", "/x.cdd", "/x.cdd", "", "", ""},
    GrammarCase{"- / b.cdd", "", "b.cdd", "b.cdd", "", "", ""}));

TEST(CommandLineInfo, KeepsEveryValueBeyondTwenty)
{
    QStringList arguments{QStringLiteral("b.cdd"), QStringLiteral("-c")};
    for (int i = 0; i < 1000; ++i)
        arguments << QStringLiteral("f%1.hex").arg(i);
    CCorvaneCommandLineInfo info;
    info.Parse(arguments);
    ASSERT_EQ(info.ValueCount(), 1001);
    EXPECT_EQ(info.m_values.last(), QStringLiteral("f999.hex"));
}

TEST(CommandLineInfo, EmptyArgumentsAreValues)
{
    CCorvaneCommandLineInfo info;
    info.Parse({QString(), QStringLiteral("-c"), QString()});
    EXPECT_EQ(info.m_nShellCommand, ShellCommand::FileOpen);
    EXPECT_TRUE(info.m_strFileName.isEmpty());
    EXPECT_EQ(info.ValueCount(), 2);
}

TEST(CommandLineInfo, WholeWordOptions)
{
    EXPECT_TRUE(Parse(QStringLiteral("--help")).m_bHelp);
    EXPECT_TRUE(Parse(QStringLiteral("b.cdd --version")).m_bVersion);
    EXPECT_FALSE(Parse(QStringLiteral("-help")).m_bHelp);
    // "--verbose" is not a whole-word option: its first letter after "-" is "-".
    EXPECT_FALSE(Parse(QStringLiteral("--verbose")).m_bVerbose);
}

TEST(CommandLineInfo, SaveAsTakesTheNextArgumentUnlessItIsASwitch)
{
    struct SaveAsCase {
        const char *line;
        const char *fileName;
        const char *saveAsPath;
    };
    for (const SaveAsCase &c : {SaveAsCase{"cfg.txt -t --save-as new.cdd", "cfg.txt", "new.cdd"},
                                SaveAsCase{"--save-as /tmp/new.cdd cfg.txt -t", "cfg.txt", "/tmp/new.cdd"},
                                SaveAsCase{"b.cdd --save-as", "b.cdd", ""},
                                SaveAsCase{"b.cdd --save-as -t x.cdd", "b.cdd", ""},
                                SaveAsCase{"b.cdd --save-as --print-config", "b.cdd", ""}}) {
        const CCorvaneCommandLineInfo info = Parse(QString::fromLatin1(c.line));
        EXPECT_TRUE(info.m_bSaveAs) << c.line;
        EXPECT_EQ(info.m_strFileName, QString::fromLatin1(c.fileName)) << c.line;
        EXPECT_EQ(info.m_strSaveAsPath, QString::fromLatin1(c.saveAsPath)) << c.line;
        EXPECT_FALSE(info.m_values.contains(QStringLiteral("new.cdd"))) << c.line;
    }
    EXPECT_TRUE(Parse(QStringLiteral("b.cdd --save-as --print-config")).m_bPrintConfig);
    EXPECT_TRUE(Parse(QStringLiteral("b.cdd --save-as -t x.cdd")).m_bTextConfig);
}

} // namespace
