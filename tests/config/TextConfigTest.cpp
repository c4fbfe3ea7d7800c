#include "config/TextConfig.h"
#include "support/RecordingPrompter.h"
#include "support/ScopedAppSettings.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QString kMissingValue = QStringLiteral("*** Text CDD File Error -- Need 2 items per cdd line.");
const QString kUnknownKey = QStringLiteral("*** Text CDD File Error -- Unknown res type in CDD text file.");
const QString kCannotOpen = QStringLiteral("*** Text CDD File Error *** Cannot open CDD TEXT File.");

struct Loaded {
    CDocumentFields fields = CDocumentFields::NewDocument();
    bool clean = false;
    QStringList messages;
};

Loaded Load(const QByteArray &text)
{
    ScopedRecordingPrompter prompter;
    Loaded loaded;
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    loaded.clean = CTextConfig::LoadTextConfig(loaded.fields, buffer);
    loaded.messages = prompter->messages;
    return loaded;
}

struct TextCase {
    const char *name;
    QByteArray text;
    std::function<void(CDocumentFields &)> expectedChange;  // applied to a new document
    QStringList messages = {};
};

void PrintTo(const TextCase &c, std::ostream *out)
{
    *out << c.name;
}

class TextConfigCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextConfigCases, SetsFieldsAndShowsMessages)
{
    const TextCase &c = GetParam();
    CDocumentFields expected = CDocumentFields::NewDocument();
    if (c.expectedChange)
        c.expectedChange(expected);
    const Loaded loaded = Load(c.text);
    EXPECT_EQ(loaded.fields, expected);
    EXPECT_EQ(loaded.messages, c.messages);
    EXPECT_EQ(loaded.clean, c.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Lines, TextConfigCases, ::testing::Values(
    TextCase{"BlankAndTabSeparate", "1019 C:\\images\\board.hex\r\n1016\t0x100000\r\n",
             [](CDocumentFields &f) { f.m_strBurnFile = QStringLiteral("C:\\images\\board.hex"); f.m_nFlashBase = 1048576; }},
    TextCase{"LineFeedAloneEndsLines", "1019 a.hex\n1017 0x4000\n\n1018 16",
             [](CDocumentFields &f) { f.m_strBurnFile = QStringLiteral("a.hex"); f.m_nFlashSize = 0x4000; f.m_nImageOffset = 16; }},
    TextCase{"TextKeepsInnerBlanks", "1023 \t /home/me/my target/cvtc v2.out \t # the target component\r\n",
             [](CDocumentFields &f) { f.m_strCvtcFile = QStringLiteral("/home/me/my target/cvtc v2.out"); }},
    TextCase{"NumbersLoseEveryBlank", "1017 0x 40 00\t0\n",
             [](CDocumentFields &f) { f.m_nFlashSize = 0x40000; }},
    TextCase{"CommentsAndEmptyLines", "# header 1016 5\r\n   # indented\r\n\r\n\t\r\n1007 0x64 # sub-family\r\n",
             [](CDocumentFields &f) { f.m_nSubfamily = 0x64; }},
    TextCase{"AnyOrderLastWins", "1039 0\n1002 a.cmd\n1039 7\n1002 b.cmd\n1041 0\n",
             [](CDocumentFields &f) { f.m_strHexCmdFile = QStringLiteral("b.cmd"); f.m_bWriteBootAddr = 0; }},
    TextCase{"ConnectionAndOverride", "1064 Simulator 64x (CPU)\n1081 5\n1016 0x80000000\n",
             [](CDocumentFields &f) { f.m_strConnection = QStringLiteral("Simulator 64x (CPU)"); f.m_bOverrideFlash = 1; f.m_nFlashBase = 0x80000000; }},
    TextCase{"OverrideZeroAndSignedSubfamily", "1081 0\n1007 -2\n",
             [](CDocumentFields &f) { f.m_nSubfamily = -2; }},
    TextCase{"EmptyTextValue", "1064 \n", [](CDocumentFields &f) { f.m_strConnection.clear(); }},
    TextCase{"Utf8Value", "1019 /tmp/Grüße.hex\n", [](CDocumentFields &f) { f.m_strBurnFile = QStringLiteral("/tmp/Grüße.hex"); }},
    TextCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBF" "1018 4\n", [](CDocumentFields &f) { f.m_nImageOffset = 4; }},
    TextCase{"KeyWithoutValueStopsReading", "1018 4\r\n1019\r\n1017 8\r\n",
             [](CDocumentFields &f) { f.m_nImageOffset = 4; }, {kMissingValue}},
    TextCase{"KeyBeforeCommentHasNoValue", "1019# a.hex\n1017 8\n", nullptr, {kMissingValue}},
    TextCase{"KeyBeforeLineFeedHasNoValue", "1017\n8\n", nullptr, {kMissingValue}},
    TextCase{"UnknownKeysAreSkipped", "1003 x\nfoo bar\n1018 4\n",
             [](CDocumentFields &f) { f.m_nImageOffset = 4; }, {kUnknownKey, kUnknownKey}},
    TextCase{"KeyCutByEndOfFileIsLost", "1018 4\n1017", [](CDocumentFields &f) { f.m_nImageOffset = 4; }},
    TextCase{"EmptyFile", "", nullptr}),
    [](const ::testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

TEST(TextConfig, FormatListsEveryKeyInOrder)
{
    CDocumentFields fields = CDocumentFields::NewDocument();
    fields.m_strBurnFile = QStringLiteral("/my images/a.hex");
    fields.m_nSubfamily = 0x54;
    fields.m_nFlashBase = 0xABCDEF01;
    fields.m_bVerifyWrite = 0;
    fields.m_bWriteBootAddr = 2;
    fields.m_bOverrideFlash = 1;
    QByteArray text;
    ASSERT_TRUE(CTextConfig::Format(fields, text));
    EXPECT_EQ(text,
              "1002 \r\n1007 0x54\r\n1016 0xABCDEF01\r\n1017 0x0\r\n1018 0x0\r\n1019 /my images/a.hex\r\n"
              "1023 \r\n1039 0\r\n1041 1\r\n1064 Disconnected\r\n1081 0x1\r\n");
}

TEST(TextConfig, FormattedTextReadsBack)
{
    CDocumentFields fields = CDocumentFields::NewDocument();
    fields.m_strHexCmdFile = QStringLiteral("conv ä.cmd");
    fields.m_nSubfamily = qint32(0x80000000);
    fields.m_nFlashSize = 0xFFFFFFFF;
    fields.m_nImageOffset = 0x10;
    fields.m_strCvtcFile = QStringLiteral("c.out");
    fields.m_bVerifyWrite = 0;
    fields.m_strConnection = QStringLiteral("Simulator 28x (CPU)");
    fields.m_bOverrideFlash = 1;
    QByteArray text;
    ASSERT_TRUE(CTextConfig::Format(fields, text));
    const Loaded loaded = Load(text);
    EXPECT_TRUE(loaded.clean);
    EXPECT_EQ(loaded.fields, fields);
}

TEST(TextConfig, FileThatCannotBeOpened)
{
    QTemporaryDir dir;
    const std::pair<QString, QString> files[] = {
        {dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("No such file or directory")},
        {dir.path(), QStringLiteral("not a regular file")},
        {QStringLiteral("/dev/zero"), QStringLiteral("not a regular file")},
    };
    for (const auto &[path, reason] : files) {
        for (const bool unattended : {false, true}) {
            ScopedAppSettings settings(unattended ? QStringLiteral("cfg.txt -t -c") : QString());
            ScopedRecordingPrompter prompter;
            CDocumentFields fields = CDocumentFields::NewDocument();
            EXPECT_FALSE(CTextConfig::LoadTextConfig(fields, path));
            const QString message = kCannotOpen + QStringLiteral("\r\n%1: %2\r\n").arg(path, reason);
            EXPECT_EQ(prompter->messages, QStringList{message});
            EXPECT_EQ(fields, CDocumentFields::NewDocument());
            EXPECT_EQ(settings.closeRequests, unattended ? 1 : 0) << path.toStdString();
            EXPECT_EQ(theApp().RunFailed(), unattended);
        }
    }
}

TEST(TextConfig, FormatErrorsFailUnattendedRuns)
{
    ScopedAppSettings settings(QStringLiteral("cfg.txt -t -c"));
    const Loaded loaded = Load("1003 x\n1018 4\n");
    EXPECT_EQ(loaded.fields.m_nImageOffset, 4u);
    EXPECT_TRUE(theApp().RunFailed());
    EXPECT_EQ(settings.closeRequests, 0);
}

} // namespace
