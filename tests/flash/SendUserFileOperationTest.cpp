// The user file sent without a target: what counts as sent.
#include "FakeOperationHost.h"
#include "flash/SendUserFileOperation.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SendUserFile, CountsOnlyTheChunksTheTargetAnswered)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("user.bin"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100, 'u'));
    file.close();
    // Requests the target answers, and the bytes counted: chunks are 64 bytes (the fake's buffer).
    for (const auto &[answered, sent] : {std::pair{1, 64}, std::pair{2, 100}}) {
        SCOPED_TRACE(answered);
        FakeOperationHost host;
        host.answeredRequests = answered;
        CSendUserFileOperation operation(host);
        operation.SetPath(path);
        host.Run(operation);
        EXPECT_EQ(operation.BytesSent(), sent);
        EXPECT_EQ(host.succeeded, answered == 2);
    }
}

} // namespace
