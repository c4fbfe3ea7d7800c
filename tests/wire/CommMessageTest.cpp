#include "wire/CommMessage.h"
#include "wire/FlashBaseWire.h"
#include "wire/MessageDataSize.h"
#include "form/PageRowOffsets.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {


std::vector<quint8> Header(const CommMessage &message)
{
    return {message.Bytes(), message.Bytes() + CommMessage::kHeaderBytes};
}

TEST(CommMessage, FreshMessageIsAllZero)
{
    const CommMessage message;
    EXPECT_EQ(message.Command(), 0);
    EXPECT_EQ(message.DataLength(), 0);
    EXPECT_EQ(Header(message), std::vector<quint8>(32, 0));
    EXPECT_EQ(message.SendLength(), 32);
}

TEST(CommMessage, WriteFlashHeaderIsBigEndian)
{
    CommMessage message;
    message.SetCommand(CommandCode::WriteFlash);
    message.SetParam32(0, 0x00012345);
    message.SetParam(2, 256);
    std::vector<quint8> expected = {0x00, 0x07, 0x00, 0x01, 0x23, 0x45, 0x01, 0x00};
    expected.resize(32, 0);
    EXPECT_EQ(Header(message), expected);
    EXPECT_TRUE(message.IsAnswerTo(CommandCode::WriteFlash));
    EXPECT_FALSE(message.IsAnswerTo(CommandCode::ReadFlash));
}

TEST(CommMessage, ParametersTruncateAndRoundTrip)
{
    CommMessage message;
    message.SetParams({0x12345678, 0xABCD, 0x1FFFF, 7});
    EXPECT_EQ(message.Param(0), 0x5678);
    EXPECT_EQ(message.Param(1), 0xABCD);
    EXPECT_EQ(message.Param(2), 0xFFFF);
    EXPECT_EQ(message.Param(3), 7);
    EXPECT_EQ(message.Param(4), 0);

    message.SetParam32(2, 0xFEDCBA98);
    EXPECT_EQ(message.Param(2), 0xFEDC);
    EXPECT_EQ(message.Param(3), 0xBA98);
    EXPECT_EQ(message.Param32(2), 0xFEDCBA98u);

    message.SetParam(14, 0xBEEF);
    EXPECT_EQ(message.Bytes()[30], 0xBE);
    EXPECT_EQ(message.Bytes()[31], 0xEF);
    // Out-of-range words neither write into the data area nor read from it.
    message.SetParam(15, 0x1111);
    message.SetParam(-1, 0x1111);
    EXPECT_EQ(message.Bytes()[32], 0);
    EXPECT_EQ(message.Command(), 0);
    EXPECT_EQ(message.Param(15), 0);
    EXPECT_EQ(message.Param32(14), 0xBEEF0000u);
}

TEST(CommMessage, SetDataCutsToTheLimit)
{
    std::vector<quint8> bytes(300);
    std::iota(bytes.begin(), bytes.end(), quint8(1));
    CommMessage message;
    message.SetData(bytes.data(), qsizetype(bytes.size()), 256);
    EXPECT_EQ(message.DataLength(), 256);
    EXPECT_EQ(message.SendLength(), 288);
    EXPECT_EQ(message.DataByte(0), 1);
    EXPECT_EQ(message.DataByte(255), quint8(256));
    EXPECT_EQ(message.DataByte(256), 0);

    message.SetData(bytes.data(), -5, 256);
    EXPECT_EQ(message.DataLength(), 0);
}

TEST(CommMessage, TargetSideDataIsBoundedByTheDataArea)
{
    CommMessage message;
    message.SetDataLength(40000);
    EXPECT_EQ(message.DataLength(), CommMessage::kDataCapacity);
    EXPECT_EQ(message.SendLength(), CommMessage::kBlockBytes);
    message.SetDataLength(-1);
    EXPECT_EQ(message.DataLength(), 0);
    EXPECT_EQ(message.DataByte(CommMessage::kDataCapacity), 0);
}

TEST(CommMessage, RawBlockCarriesHeaderAndData)
{
    // What a target component reads from the buffer is what the host wrote.
    CommMessage request;
    request.SetCommand(CommandCode::SendUserData);
    request.SetParam(0, 3);
    const quint8 payload[] = {0xAA, 0xBB, 0xCC};
    request.SetData(payload, 3, 64);

    CommMessage received;
    std::copy(request.Bytes(), request.Bytes() + request.SendLength(), received.Bytes());
    EXPECT_TRUE(received.IsAnswerTo(CommandCode::SendUserData));
    EXPECT_EQ(received.Param(0), 3);
    EXPECT_EQ(received.DataByte(2), 0xCC);
}

TEST(CommMessage, AddressListRoundTripsMostSignificantByteFirst)
{
    CommMessage message;
    message.SetAddressList({0x01020304, 0xFFFFFFF0});
    EXPECT_EQ(message.DataLength(), 8);
    const std::vector<quint8> data(message.Data(), message.Data() + 8);
    EXPECT_EQ(data, (std::vector<quint8>{1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xF0}));
    EXPECT_EQ(message.AddressList(2), (QList<quint32>{0x01020304, 0xFFFFFFF0}));

    QList<quint32> tooMany(CommMessage::kDataCapacity / 4 + 10, 0x55);
    message.SetAddressList(tooMany);
    EXPECT_EQ(message.DataLength(), CommMessage::kDataCapacity / 4 * 4);
    EXPECT_EQ(message.AddressList(100000).size(), CommMessage::kDataCapacity / 4);
}

TEST(CommMessage, PageRowOffsetsFollowTheAddressUnit)
{
    const QList<quint32> bytes = PageRowOffsets(0x1000, 1);
    ASSERT_EQ(bytes.size(), 16);
    EXPECT_EQ(bytes[1], 0x1010u);
    EXPECT_EQ(bytes[15], 0x10F0u);
    const QList<quint32> words = PageRowOffsets(0x1000, 2);
    EXPECT_EQ(words[1], 0x1008u);
    EXPECT_EQ(words[15], 0x1078u);
}

TEST(MessageDataSize, EvenAndBoundedByTheDataArea)
{
    EXPECT_EQ(DataBytesOfWords(0), 0);
    struct Case {
        quint32 bufferSize;
        quint16 usable;
    };
    const Case cases[] = {{4096, 4096}, {4097, 4096}, {1, 0}, {32700, 32700}, {32701, 32700}, {0xFFFF, 32700}};
    for (const Case &c : cases) {
        const quint16 usable = UsableBufferSize(c.bufferSize);
        EXPECT_EQ(usable, c.usable) << c.bufferSize;
        EXPECT_EQ(DataBytesOfWords(usable >> 1), c.usable) << c.bufferSize;
    }
    EXPECT_EQ(DataBytesOfWords(0xFFFF), CommMessage::kDataCapacity);
    EXPECT_EQ(DataBytesOfWords(384), 768);
}

TEST(FlashBaseWire, WordAddressedOnlyFor55xProtocol4)
{
    EXPECT_EQ(FlashBaseFromWire(0x8000, 0x55, 4), 0x10000u);
    EXPECT_EQ(FlashBaseToWire(0x10000, 0x55, 4), 0x8000u);
    EXPECT_EQ(FlashBaseFromWire(0x8000, 0x55, 3), 0x8000u);
    EXPECT_EQ(FlashBaseFromWire(0x8000, 0x54, 4), 0x8000u);
}

} // namespace
