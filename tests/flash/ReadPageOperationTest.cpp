// The flash view's page read without a target: a page larger than the
// message buffer is read in pieces the buffer holds.
#include "FakeOperationHost.h"
#include "flash/ReadPageOperation.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadPage, EveryByteComesFromTheFlashInPiecesTheBufferHolds)
{
    // Buffer, and the offset and byte count of each request.
    const std::pair<quint16, QList<std::pair<quint32, int>>> cases[] = {
        {4096, {{0x40, 0x100}}},
        {64, {{0x40, 64}, {0x80, 64}, {0xC0, 64}, {0x100, 64}}},
        {96, {{0x40, 96}, {0xA0, 96}, {0x100, 64}}},
    };
    for (const auto &[buffer, reads] : cases) {
        SCOPED_TRACE(buffer);
        FakeOperationHost host;
        host.facts.maxDataBytes = buffer;
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
        QList<std::pair<quint32, int>> sent;
        for (const CommMessage &request : host.requests)
            sent.append({request.Param32(0), request.Param(2)});
        EXPECT_EQ(sent, reads);
    }
}

} // namespace
