// The flash view's page read without a target: a page larger than the
// message buffer is read in pieces the buffer holds.
#include "FakeOperationHost.h"
#include "flash/ReadPageOperation.h"

#include <gtest/gtest.h>

namespace {

struct PageCase {
    const char *name;
    quint16 buffer;
    QList<std::pair<quint32, int>> reads;  // offset and byte count of each request
};

class ReadPage : public testing::TestWithParam<PageCase> {};

TEST_P(ReadPage, EveryByteComesFromTheFlash)
{
    FakeOperationHost host;
    host.facts.maxDataBytes = GetParam().buffer;
    QByteArray expected;
    for (quint32 i = 0; i < 0x100; ++i) {
        host.flash[0x40 + i] = quint8(i * 7 + 1);
        expected.append(char(i * 7 + 1));
    }
    CReadPageOperation operation(host);
    operation.SetPage(0x40, 0x100);
    host.Run(operation);
    ASSERT_TRUE(host.succeeded);
    EXPECT_EQ(operation.Bytes().toHex(), expected.toHex());
    QList<std::pair<quint32, int>> reads;
    for (const CommMessage &request : host.requests)
        reads.append({request.Param32(0), request.Param(2)});
    EXPECT_EQ(reads, GetParam().reads);
}

INSTANTIATE_TEST_SUITE_P(Buffers, ReadPage, testing::Values(
    PageCase{"OneRequestWhenThePageFits", 4096, {{0x40, 0x100}}},
    PageCase{"PiecesOfA64ByteBuffer", 64, {{0x40, 64}, {0x80, 64}, {0xC0, 64}, {0x100, 64}}},
    PageCase{"ALastShorterPiece", 96, {{0x40, 96}, {0xA0, 96}, {0x100, 64}}}),
    [](const testing::TestParamInfo<PageCase> &info) { return std::string(info.param.name); });

} // namespace
