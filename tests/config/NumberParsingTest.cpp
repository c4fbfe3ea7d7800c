#include "config/NumberParsing.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

struct UnsignedCase {
    const char *text;
    quint32 expected;
};

class ParseUnsignedTest : public ::testing::TestWithParam<UnsignedCase> {};

TEST_P(ParseUnsignedTest, ConvertsInChosenBase)
{
    EXPECT_EQ(ParseUnsigned(QString::fromLatin1(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Bases, ParseUnsignedTest, ::testing::Values(
    UnsignedCase{"0x1F", 31}, UnsignedCase{"0X1f", 31}, UnsignedCase{"1FH", 31},
    UnsignedCase{"17Q", 15}, UnsignedCase{"017", 15}, UnsignedCase{"101B", 5},
    UnsignedCase{"08", 0}, UnsignedCase{"1B", 1}, UnsignedCase{"12h", 12},
    UnsignedCase{"", 0}, UnsignedCase{"7", 7}, UnsignedCase{"x", 0}, UnsignedCase{"-", 0},
    UnsignedCase{"0", 0}, UnsignedCase{"42", 42}, UnsignedCase{"0x", 0}, UnsignedCase{"0xG", 0},
    UnsignedCase{"12abc", 12}, UnsignedCase{"  0x10", 0}, UnsignedCase{"  16", 16},
    UnsignedCase{"+0x10", 16}, UnsignedCase{"0x10H", 16}, UnsignedCase{"0xABCDEF01", 0xABCDEF01u}));

INSTANTIATE_TEST_SUITE_P(RangeAndSign, ParseUnsignedTest, ::testing::Values(
    UnsignedCase{"-1", 4294967295u}, UnsignedCase{"-0x10", 0xFFFFFFF0u},
    UnsignedCase{"4294967295", 4294967295u}, UnsignedCase{"4294967296", 4294967295u},
    UnsignedCase{"0x100000000", 4294967295u}, UnsignedCase{"99999999999999999999999999", 4294967295u},
    UnsignedCase{"-99999999999", 4294967295u}, UnsignedCase{"037777777777", 4294967295u},
    UnsignedCase{"11111111111111111111111111111111B", 4294967295u}));

struct SignedCase {
    const char *text;
    qint32 expected;
};

class ParseSignedTest : public ::testing::TestWithParam<SignedCase> {};

TEST_P(ParseSignedTest, ConvertsAndSaturates)
{
    EXPECT_EQ(ParseSigned(QString::fromLatin1(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(All, ParseSignedTest, ::testing::Values(
    SignedCase{"-0x10", -16}, SignedCase{"+12", 12}, SignedCase{"7", 7}, SignedCase{"", 0},
    SignedCase{"-17Q", -15}, SignedCase{"2147483647", 2147483647}, SignedCase{"2147483648", 2147483647},
    SignedCase{"-2147483648", -2147483647 - 1}, SignedCase{"-2147483649", -2147483647 - 1},
    SignedCase{"0xFFFFFFFF", 2147483647}, SignedCase{"-99999999999999999999", -2147483647 - 1}));

// A text is a number when the parsers read all of it; the rest is refused, not read as 0.
TEST(IsNumberText, AcceptsWhatTheParsersReadWhole)
{
    for (const char *text : {"4096", "0x1000", "1000H", "010000", "10000Q", "1010B", "-0x10", "+12", "  16",
                             "0", "4294967295", "-2147483648", "0x10H"})
        EXPECT_TRUE(IsNumberText(QString::fromLatin1(text))) << text;
    for (const char *text : {"", "hello", "-", "0x", "0xG", "08", "12abc", "12 ", "  0x10", "1AB", "12h",
                             "4294967296", "0x100000000"})
        EXPECT_FALSE(IsNumberText(QString::fromLatin1(text))) << text;
}

} // namespace
