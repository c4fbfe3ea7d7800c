#include "MockDebugger.h"
#include "support/TargetTestSupport.h"

#include "support/RecordingPrompter.h"
#include "debugger/AutomationError.h"
#include "debugger/TargetLink.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using testing::_;
using testing::Return;

namespace {

// A link connected to a mocked processor of `subfamily`.
struct ConnectedLink {
    ConnectedLink(qint32 subfamily, bool reverse)
        : debugger(subfamily, reverse)
        , link(debugger.factory)
    {
        qint32 family = 0;
        qint32 found = 0;
        EXPECT_TRUE(link.Create(0, 0, family, found));
    }

    MockDebugger debugger;
    CTargetLink link;
};

std::vector<quint8> Sequence(int count)
{
    std::vector<quint8> bytes(count);
    for (int i = 0; i < count; ++i)
        bytes[i] = quint8(0x10 + i);
    return bytes;
}

struct ReadCase {
    qint32 subfamily;
    bool reverse;
    std::vector<qint32> indexes;          // element indexes holding words
    std::vector<quint32> elements;        // their values
    std::vector<quint8> expected;         // the buffer afterwards
};

class ReadMemoryTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadMemoryTest, StoresWordsInMessageOrder)
{
    const ReadCase &c = GetParam();
    ConnectedLink connected(c.subfamily, c.reverse);
    ON_CALL(*connected.debugger.dspUser, ReadBlock(_)).WillByDefault([&c](IDspMemory &block) {
        for (size_t i = 0; i < c.indexes.size(); ++i)
            static_cast<FakeDspMemory &>(block).elements[c.indexes[i]] = c.elements[i];
        return true;
    });
    std::vector<quint8> buffer(c.expected.size(), 0xEE);
    ASSERT_TRUE(connected.link.ReadMemory(1, 0x100, buffer, qint32(c.expected.size())));
    EXPECT_EQ(buffer, c.expected);
    ASSERT_EQ(connected.debugger.blocks.size(), 1u);
    EXPECT_EQ(connected.debugger.blocks[0]->address, 0x100u);
}

INSTANTIATE_TEST_SUITE_P(
    WordClasses, ReadMemoryTest,
    testing::Values(
        // 32-bit class: elements at byte offsets, least significant byte first unless reversed.
        ReadCase {0x64, false, {0, 4}, {0x44332211, 0x88776655}, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
        ReadCase {0x64, true, {0, 4}, {0x11223344, 0x55667788}, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
        ReadCase {1, true, {0}, {0xA1B2C3D4}, {0xA1, 0xB2, 0xC3, 0xD4}},
        // 16-bit class: elements are word numbers; the low 16 bits count.
        ReadCase {0x54, false, {0, 1}, {0xFFFF2211, 0x4433}, {0x11, 0x22, 0x33, 0x44}},
        ReadCase {0x28, true, {0, 1}, {0x1122, 0x3344}, {0x11, 0x22, 0x33, 0x44}},
        // 55x is byte-addressed but moves 16-bit words.
        ReadCase {0x55, true, {0, 1, 2}, {0x1122, 0x3344, 0x5566}, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}}));

TEST(ReadMemory, ThirtyTwoBytesMoveEightWordsAtByteOffsets)
{
    ConnectedLink connected(0x67, true);
    // Every index holds a word whose most significant byte names the index.
    ON_CALL(*connected.debugger.dspUser, ReadBlock(_)).WillByDefault([](IDspMemory &memory) {
        for (qint32 i = 0; i < 32; ++i)
            static_cast<FakeDspMemory &>(memory).elements[i] = quint32(i) << 24;
        return true;
    });
    std::vector<quint8> buffer(32);
    ASSERT_TRUE(connected.link.ReadMemory(1, 0, buffer, 32));
    EXPECT_EQ(connected.debugger.blocks[0]->count, 32);
    for (qint32 i = 0; i < 32; i += 4)
        EXPECT_EQ(buffer[i], i) << "the word at byte " << i << " comes from element " << i;
}

TEST(WriteMemory, SixteenBitWriteOfFiveBytesSetsThreeElements)
{
    ConnectedLink connected(0x54, false);
    const std::vector<quint8> buffer = Sequence(6);
    ASSERT_TRUE(connected.link.WriteMemory(1, 0x80, buffer, 5));
    const FakeDspMemory &block = *connected.debugger.blocks[0];
    EXPECT_EQ(block.count, 4);   // three elements, raised to the minimum of 4
    EXPECT_EQ(block.setIndexes, (std::vector<qint32> {0, 1, 2}));
    EXPECT_EQ(block.elements.at(2), 0x1514u);   // buffer bytes 4 and 5, one beyond the count
}

TEST(WriteMemory, ZeroBytesStillWritesABlockOfFour)
{
    ConnectedLink connected(0x64, false);
    EXPECT_CALL(*connected.debugger.dspUser, WriteBlock(_)).WillOnce(Return(true));
    ASSERT_TRUE(connected.link.WriteMemory(1, 0, std::vector<quint8>(4), 0));
    EXPECT_EQ(connected.debugger.blocks[0]->count, 4);
    EXPECT_TRUE(connected.debugger.blocks[0]->setIndexes.empty());
}

TEST(WriteMemory, SixByteThirtyTwoBitWriteReversesBothWords)
{
    ConnectedLink connected(0x64, true);
    const std::vector<quint8> buffer = Sequence(8);
    ASSERT_TRUE(connected.link.WriteMemory(1, 0, buffer, 6));
    const FakeDspMemory &block = *connected.debugger.blocks[0];
    EXPECT_EQ(block.count, 8);
    EXPECT_EQ(block.setIndexes, (std::vector<qint32> {0, 4}));
    EXPECT_EQ(block.elements.at(0), 0x10111213u);
    // The final partial word travels reversed too, so its bytes land in place.
    EXPECT_EQ(block.elements.at(4), 0x14151617u);
}

TEST(WriteMemory, FiftyFiveXMovesWordsWithUnitTwo)
{
    ConnectedLink connected(0x55, true);
    EXPECT_EQ(connected.link.AddressingUnit(), 1);
    ASSERT_TRUE(connected.link.WriteMemory(1, 0x200, Sequence(10), 10));
    const FakeDspMemory &block = *connected.debugger.blocks[0];
    EXPECT_EQ(block.count, 5);
    EXPECT_EQ(block.setIndexes, (std::vector<qint32> {0, 1, 2, 3, 4}));
    EXPECT_EQ(block.elements.at(1), 0x1213u);
}

struct FailureCase {
    const char *what;
    bool write;
    std::function<void(MockDebugger &)> breakIt;
    QString message;
};

class MemoryFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(MemoryFailureTest, ReturnsItsMessageAndLeavesTheBufferAlone)
{
    const FailureCase &c = GetParam();
    ConnectedLink connected(0x64, false);
    c.breakIt(connected.debugger);
    ScopedRecordingPrompter prompter;
    std::vector<quint8> buffer(8, 0xAB);
    const CResult done = c.write ? connected.link.WriteMemory(1, 0, buffer, 8)
                                 : connected.link.ReadMemory(1, 0, buffer, 8);
    ASSERT_FALSE(done);
    EXPECT_EQ(done.Failure().text, c.message);
    EXPECT_EQ(done.Failure().shown, CFailure::Shown::InMessageBox);
    EXPECT_TRUE(prompter->messages.isEmpty()) << "nothing is shown where the failure happens";
    EXPECT_EQ(buffer, std::vector<quint8>(8, 0xAB));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MemoryFailureTest,
    testing::Values(
        FailureCase {"NoValue", false,
                     [](MockDebugger &d) { ON_CALL(*d.dspUser, CreateAddressValue(_)).WillByDefault(Return(nullptr)); },
                     QStringLiteral("Can't make DspValue")},
        FailureCase {"NoMemory", true,
                     [](MockDebugger &d) { ON_CALL(*d.dspUser, CreateMemory(_, _, _)).WillByDefault(Return(nullptr)); },
                     QStringLiteral("Can't make DspMemory")},
        FailureCase {"ReadRefused", false,
                     [](MockDebugger &d) { ON_CALL(*d.dspUser, ReadBlock(_)).WillByDefault(Return(false)); },
                     QStringLiteral("Failed to Read")},
        FailureCase {"WriteRefused", true,
                     [](MockDebugger &d) { ON_CALL(*d.dspUser, WriteBlock(_)).WillByDefault(Return(false)); },
                     QStringLiteral("Failed to write")}),
    [](const testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.what); });

TEST(TargetMemory, WithoutConnectionIsAnInvalidPointer)
{
    CTargetLink link(std::make_shared<testing::NiceMock<MockFactory>>());
    std::vector<quint8> buffer(4);
    EXPECT_THROW(link.ReadMemory(1, 0, buffer, 4), CAutomationError);
}

} // namespace
