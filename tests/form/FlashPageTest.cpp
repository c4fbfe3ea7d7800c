#include "form/FlashPage.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

CFlashPage PageAt(int addressingUnit, quint32 flashBytes, quint32 start, int width = CFlashPage::Bits8)
{
    CFlashPage page(addressingUnit, flashBytes);
    page.SetPageStart(start);
    page.SetDisplayWidth(width);
    return page;
}

// A valid page whose byte i is i.
CFlashPage CountingPage(int addressingUnit, quint32 start, int width)
{
    CFlashPage page = PageAt(addressingUnit, 0x10000, start, width);
    quint8 bytes[CFlashPage::kPageBytes];
    std::iota(bytes, bytes + CFlashPage::kPageBytes, 0);
    QList<quint32> rowAddresses;
    for (int row = 0; row < CFlashPage::kRows; ++row)
        rowAddresses.append(0x90000000u + quint32(row) * 0x10);
    page.Fill(bytes, rowAddresses);
    return page;
}

struct PagingCase {
    int addressingUnit;
    quint32 flashBytes;
    quint32 start;
    quint32 afterNext;
    quint32 afterPrev;
};

class FlashPagePaging : public ::testing::TestWithParam<PagingCase> {};

TEST_P(FlashPagePaging, NextAndPrevKeepThePageInsideTheFlash)
{
    const PagingCase &c = GetParam();
    CFlashPage next = PageAt(c.addressingUnit, c.flashBytes, c.start);
    EXPECT_EQ(next.Next(), c.afterNext != c.start);
    EXPECT_EQ(next.PageStart(), c.afterNext);
    CFlashPage prev = PageAt(c.addressingUnit, c.flashBytes, c.start);
    EXPECT_EQ(prev.Prev(), c.afterPrev != c.start);
    EXPECT_EQ(prev.PageStart(), c.afterPrev);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashPagePaging,
                         ::testing::Values(
                             // word-addressed: a page spans 0x80 units of a 0x200-unit flash
                             PagingCase {2, 0x400, 0x000, 0x080, 0x000},
                             PagingCase {2, 0x400, 0x100, 0x180, 0x080},
                             // near the end the page is clamped to end with the flash
                             PagingCase {1, 0x1000, 0xE80, 0xF00, 0xD80},
                             // the last page stays
                             PagingCase {1, 0x1000, 0xF00, 0xF00, 0xE00},
                             // Prev below one page goes to 0, not below
                             PagingCase {1, 0x1000, 0x030, 0x130, 0x000},
                             // a flash smaller than a page has nowhere to go
                             PagingCase {1, 0x80, 0x000, 0x000, 0x000}));

TEST(FlashPage, FlashSizeCountsInAddressUnits)
{
    EXPECT_EQ(CFlashPage(2, 0x40001).FlashSizeUnits(), 0x20000u);
    EXPECT_EQ(CFlashPage(1, 0x40000).FlashSizeUnits(), 0x40000u);
    EXPECT_EQ(CFlashPage(1, 0x40000).LastPageStart(), 0x3FF00u);
    EXPECT_EQ(CFlashPage(2, 0x40000).LastPageStart(), 0x1FF80u);
    EXPECT_EQ(CFlashPage(1, 0x80).LastPageStart(), 0u);
    EXPECT_EQ(CFlashPage(2, 0).PageUnits(), 0x80u);
}

TEST(FlashPage, AnOffsetFitsWhenTheWholePageLiesInsideTheFlash)
{
    const CFlashPage page(1, 0x1000);
    EXPECT_TRUE(page.FitsInFlash(0));
    EXPECT_TRUE(page.FitsInFlash(0xF00));
    EXPECT_FALSE(page.FitsInFlash(0xF01));
    EXPECT_FALSE(page.FitsInFlash(0x1000));
    // Near the top of the 32-bit range the page end must not wrap into the flash.
    EXPECT_FALSE(page.FitsInFlash(0xFFFFFF80u));
}

TEST(FlashPage, MovingAlignsThePageStartToTheDisplayWidth)
{
    const struct {
        int addressingUnit;
        int width;
        quint32 expected;
    } cases[] = {
        {1, CFlashPage::Bits32, 0x100}, {1, CFlashPage::Bits16, 0x102}, {1, CFlashPage::Bits8, 0x102},
        {2, CFlashPage::Bits32, 0x102}, {2, CFlashPage::Bits16, 0x103},
    };
    for (const auto &c : cases) {
        CFlashPage page(c.addressingUnit, 0x10000);
        page.MoveTo(0x103, c.width);
        EXPECT_EQ(page.PageStart(), c.expected) << "unit " << c.addressingUnit << " width " << c.width;
        EXPECT_EQ(page.DisplayWidth(), c.width);
    }
}

TEST(FlashPage, WordAddressedTargetsStartAndOfferSixteenBitUnits)
{
    CFlashPage word(2, 0x1000);
    EXPECT_EQ(word.DisplayWidth(), CFlashPage::Bits16);
    word.SetDisplayWidth(CFlashPage::Bits8);
    EXPECT_EQ(word.OfferedWidth(), CFlashPage::Bits16);
    word.SetDisplayWidth(CFlashPage::Bits32);
    EXPECT_EQ(word.OfferedWidth(), CFlashPage::Bits32);
    CFlashPage byte(1, 0x1000);
    EXPECT_EQ(byte.DisplayWidth(), CFlashPage::Bits8);
    EXPECT_EQ(byte.OfferedWidth(), CFlashPage::Bits8);
}

TEST(FlashPage, GridItemsRunColumnByColumn)
{
    CFlashPage page = PageAt(1, 0x1000, 0, CFlashPage::Bits16);
    EXPECT_EQ(page.Columns(), 8);
    EXPECT_EQ(page.ItemCount(), 128);
    // Column 3 of row 2 shows page bytes 38 and 39.
    EXPECT_EQ(page.ByteOffsetOfItem(CFlashPage::ItemAt(2, 3)), 38);
    EXPECT_EQ(page.ByteOffsetOfItem(128), -1);
    EXPECT_EQ(page.ByteOffsetOfItem(-1), -1);
}

TEST(FlashPage, AddressAndItemMapOntoEachOtherForEveryWidth)
{
    for (int addressingUnit : {1, 2}) {
        for (int width : {CFlashPage::Bits8, CFlashPage::Bits16, CFlashPage::Bits32}) {
            if (addressingUnit == 2 && width == CFlashPage::Bits8)
                continue;
            const CFlashPage page = PageAt(addressingUnit, 0x10000, 0x200, width);
            for (int item = 0; item < page.ItemCount(); ++item) {
                const int byteOffset = page.ByteOffsetOfItem(item);
                ASSERT_EQ(page.ItemOfAddress(page.UnitAddress(byteOffset)), item)
                    << "unit " << addressingUnit << " width " << width << " item " << item;
                ASSERT_EQ(page.UnitOffsetOfAddress(page.UnitAddress(byteOffset)), byteOffset);
            }
            EXPECT_EQ(page.ItemOfAddress(0x1FF), -1);
            EXPECT_EQ(page.ItemOfAddress(page.LastAddress() + 1), -1);
        }
    }
}

TEST(FlashPage, AnAddressWithinAUnitEditsTheWholeUnit)
{
    // Word-addressed, page start 0x80: the page holds 0x80 to 0xFF and 0x90 is byte 0x20.
    const CFlashPage word = PageAt(2, 0x1000, 0x80, CFlashPage::Bits32);
    EXPECT_TRUE(word.ContainsAddress(0x80));
    EXPECT_TRUE(word.ContainsAddress(0xFF));
    EXPECT_FALSE(word.ContainsAddress(0x100));
    EXPECT_EQ(word.UnitOffsetOfAddress(0x90), 0x20);
    // The doubleword holding 0xFF starts at byte 252: it never reaches past the page.
    EXPECT_EQ(word.UnitOffsetOfAddress(0xFF), 252);
}

TEST(FlashPage, UnitsAreReadAndWrittenHighByteFirst)
{
    CFlashPage page = CountingPage(1, 0, CFlashPage::Bits16);
    EXPECT_EQ(page.UnitValue(4, 4), 0x04050607u);
    page.SetUnitValue(38, 2, 0x1FF);
    EXPECT_EQ(quint8(page.Bytes()[38]), 0x01);
    EXPECT_EQ(quint8(page.Bytes()[39]), 0xFF);
    EXPECT_EQ(quint8(page.Bytes()[40]), 40);
    page.SetUnitValue(254, 4, 0xAABBCCDD);  // the part beyond the page is dropped
    EXPECT_EQ(page.Bytes().size(), CFlashPage::kPageBytes);
    EXPECT_EQ(page.UnitValue(254, 2), 0xAABBu);
}

TEST(FlashPage, ValueLimitsAndTexts)
{
    EXPECT_EQ(CFlashPage::MaxUnitValue(1), 0xFFu);
    EXPECT_EQ(CFlashPage::MaxUnitValue(2), 0xFFFFu);
    EXPECT_EQ(CFlashPage::MaxUnitValue(4), 0xFFFFFFFFu);
    EXPECT_EQ(CFlashPage::UnitValueText(0xA, 1), QStringLiteral("0x0A"));
    EXPECT_EQ(CFlashPage::UnitValueText(0xA, 2), QStringLiteral("0x000A"));
    EXPECT_EQ(CFlashPage::UnitValueText(0xA, 4), QStringLiteral("0x0000000A"));
}

TEST(FlashPage, RowsAndItemsShowOffsetsAddressesAndUnits)
{
    const CFlashPage word = CountingPage(2, 0x80, CFlashPage::Bits16);
    EXPECT_EQ(word.RowText(0), QStringLiteral("00000080 | 90000000:"));
    EXPECT_EQ(word.RowText(15), QStringLiteral("000000F8 | 900000F0:"));
    EXPECT_EQ(word.ItemText(CFlashPage::ItemAt(2, 3)), QStringLiteral("2627 "));
    const CFlashPage bytes = CountingPage(1, 0, CFlashPage::Bits8);
    EXPECT_EQ(bytes.ItemText(CFlashPage::ItemAt(1, 15)), QStringLiteral("1F"));
    const CFlashPage doublewords = CountingPage(1, 0, CFlashPage::Bits32);
    EXPECT_EQ(doublewords.ItemText(CFlashPage::ItemAt(15, 3)), QStringLiteral("FCFDFEFF "));
    // Bytes 0x20 to 0x7E as themselves, control characters and bytes above as ".".
    EXPECT_EQ(bytes.RowCharacters(0), QString(16, u'.'));
    EXPECT_EQ(bytes.RowCharacters(2), QStringLiteral(" !\"#$%&'()*+,-./"));
    EXPECT_EQ(bytes.RowCharacters(7), QStringLiteral("pqrstuvwxyz{|}~."));
    EXPECT_EQ(bytes.RowCharacters(8), QString(16, u'.'));
}

TEST(FlashPage, PageTextIsEmptyUntilAPageWasRead)
{
    CFlashPage page(1, 0x1000);
    EXPECT_TRUE(page.PageText().isEmpty());
    page = CountingPage(1, 0x100, CFlashPage::Bits32);
    page.Invalidate();
    EXPECT_TRUE(page.PageText().isEmpty());
}

TEST(FlashPage, PageTextGroupsTheBytesOfEachRowByTheDisplayWidth)
{
    const QStringList lines = CountingPage(1, 0x100, CFlashPage::Bits32).PageText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[0], QStringLiteral("Loc 100 to 1FF"));
    EXPECT_EQ(lines[1], QStringLiteral("00000100: 00010203 04050607 08090A0B 0C0D0E0F "));
    EXPECT_EQ(lines[16], QStringLiteral("000001F0: F0F1F2F3 F4F5F6F7 F8F9FAFB FCFDFEFF "));
    EXPECT_EQ(lines[17], QString());
    const QStringList bytes = CountingPage(2, 0x80, CFlashPage::Bits8).PageText().split(QStringLiteral("\r\n"));
    EXPECT_EQ(bytes[0], QStringLiteral("Loc 80 to FF"));
    EXPECT_EQ(bytes[2], QStringLiteral("00000088: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F "));
}

} // namespace
