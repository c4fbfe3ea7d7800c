#include "support/TargetTestSupport.h"

#include "debugger/sim/SimComponentFile.h"

#include <gtest/gtest.h>

namespace {

bool ParseLines(const QStringList &lines, SimComponentSettings &settings, QString &error)
{
    return CSimComponentFile::Parse(QStringLiteral("cvtc.txt"),
                                    (QStringList {CSimComponentFile::kFirstLine} + lines).join(u'\n').toUtf8(), settings,
                                    error);
}

TEST(SimComponentFile, DefaultsWithoutKeys)
{
    SimComponentSettings settings;
    settings.protocol = 9;
    QString error;
    ASSERT_TRUE(ParseLines({}, settings, error));
    EXPECT_EQ(settings.protocol, 4);
    EXPECT_EQ(settings.buffer, 4096);
    EXPECT_EQ(settings.versionMajor, 1);
    EXPECT_EQ(settings.versionMinor, 0);
    EXPECT_EQ(settings.flashBase, 0u);
    EXPECT_EQ(settings.flashSize, 0x40000u);
    EXPECT_EQ(settings.eraseSeconds, 2);
    EXPECT_EQ(settings.edit, 1);
    EXPECT_EQ(settings.programKibPerSecond, 0u);
    EXPECT_FALSE(settings.stuckBits || settings.wrongEcho || settings.noAnswer || settings.loadError);
    EXPECT_EQ(settings.dropWrite, 0u);
    EXPECT_TRUE(settings.missingSymbol.isEmpty());
}

TEST(SimComponentFile, ReadsEveryKeyInAnyNumberNotation)
{
    SimComponentSettings settings;
    QString error;
    ASSERT_TRUE(ParseLines({QStringLiteral("protocol = 3   # older"), QStringLiteral("buffer=0x300"),
                            QStringLiteral("version = 2.15"), QStringLiteral("flash_base = 8000H"),
                            QStringLiteral("flash_size = 0100000"), QStringLiteral("erase_seconds = 1111B"),
                            QStringLiteral("edit = 0"), QStringLiteral("program_kib_per_s = 17Q"),
                            QStringLiteral("fault.stuck_bits = 0x10:0x81"), QStringLiteral("fault.drop_write = 2"),
                            QStringLiteral("fault.wrong_echo = 14"), QStringLiteral("fault.no_answer = 3"), QStringLiteral("fault.lost_at = 7"),
                            QStringLiteral("fault.missing_symbol = theMessage"),
                            QStringLiteral("fault.load_error = 1"), QStringLiteral("# done")},
                           settings, error))
        << error.toStdString();
    EXPECT_EQ(settings.protocol, 3);
    EXPECT_EQ(settings.buffer, 0x300);
    EXPECT_EQ(settings.versionMajor, 2);
    EXPECT_EQ(settings.versionMinor, 15);
    EXPECT_EQ(settings.flashBase, 0x8000u);
    EXPECT_EQ(settings.flashSize, 0x8000u);
    EXPECT_EQ(settings.eraseSeconds, 15);
    EXPECT_EQ(settings.edit, 0);
    EXPECT_EQ(settings.programKibPerSecond, 15u);
    ASSERT_TRUE(settings.stuckBits);
    EXPECT_EQ(settings.stuckBits->offset, 0x10u);
    EXPECT_EQ(settings.stuckBits->mask, 0x81);
    EXPECT_EQ(settings.dropWrite, 2u);
    EXPECT_EQ(settings.wrongEcho, 14);
    EXPECT_EQ(settings.noAnswer, 3);
    EXPECT_EQ(settings.lostAt, 7);
    EXPECT_EQ(settings.missingSymbol, QStringLiteral("theMessage"));
    EXPECT_TRUE(settings.loadError);
}

TEST(SimComponentFile, RefusesBadLinesNamingTheLine)
{
    struct Case {
        QString line;
        const char *phrase;
    };
    for (const Case &c : {
             Case {QStringLiteral("protocol"), "expected \"key = value\""},
             Case {QStringLiteral("speed = 3"), "unknown key \"speed\""},
             Case {QStringLiteral("protocol = four"), "not a number"},
             Case {QStringLiteral("protocol = 0x10000"), "from 0 to 65535"},
             Case {QStringLiteral("buffer = 12x"), "not a number"},
             Case {QStringLiteral("flash_base = 09"), "not a number"},
             Case {QStringLiteral("flash_size = 0x40000000"), "not a number"},
             Case {QStringLiteral("version = 2"), "MAJOR.MINOR"},
             Case {QStringLiteral("fault.stuck_bits = 16"), "OFFSET:MASK"},
             Case {QStringLiteral("fault.stuck_bits = 16:0x100"), "OFFSET:MASK"},
             Case {QStringLiteral("fault.missing_symbol = main"), "theMessage or doMessageProc"},
             Case {QStringLiteral("fault.load_error = 2"), "from 0 to 1"},
         }) {
        SimComponentSettings settings;
        QString error;
        EXPECT_FALSE(ParseLines({QStringLiteral("# fine"), c.line}, settings, error)) << c.line.toStdString();
        EXPECT_TRUE(error.startsWith(QStringLiteral("cvtc.txt, line 3: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.phrase))) << error.toStdString();
    }
}

TEST(SimComponentFile, RefusesADuplicateKeyAndAMissingFirstLine)
{
    SimComponentSettings settings;
    QString error;
    EXPECT_FALSE(ParseLines({QStringLiteral("edit = 1"), QStringLiteral("edit = 0")}, settings, error));
    EXPECT_TRUE(error.contains(QLatin1String("given twice")));
    EXPECT_FALSE(CSimComponentFile::Parse(QStringLiteral("a.out"), QByteArray("\x7F" "ELF\x01\x01"), settings, error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("a.out, line 1: not a simulated target component file")));
}

} // namespace
