#include "wire/CommChecksum.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <random>
#include <vector>

namespace {

quint16 Sum(const std::vector<quint8> &bytes, quint16 seed = 0)
{
    CommChecksum checksum(seed);
    checksum.Add(bytes.data(), qsizetype(bytes.size()));
    return checksum.Value();
}

TEST(CommChecksum, EndAroundCarry)
{
    EXPECT_EQ(Sum({1, 2, 3}), 0x0006);
    EXPECT_EQ(Sum(std::vector<quint8>(257, 0xFF)), 0xFFFF);
    EXPECT_EQ(Sum(std::vector<quint8>(258, 0xFF)), 0x00FF);
    EXPECT_EQ(Sum({0x10}, 0xFFF5), 0x0006);
}

TEST(CommChecksum, NothingAddedLeavesTheSeed)
{
    CommChecksum checksum(0x1234);
    const quint8 byte = 7;
    checksum.Add(&byte, 0);
    checksum.Add(&byte, -3);
    EXPECT_EQ(checksum.Value(), 0x1234);
    checksum.Reset(0);
    EXPECT_EQ(checksum.Value(), 0);
}

TEST(CommChecksum, AddingInPiecesEqualsAddingAtOnce)
{
    std::vector<quint8> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = quint8(i * 37 + 11);
    CommChecksum pieces;
    pieces.Add(bytes.data(), 333);
    pieces.Add(bytes.data() + 333, 667);
    EXPECT_EQ(pieces.Value(), Sum(bytes));
}

} // namespace

namespace {

// The checksum carried byte by byte, as the target component computes it.
quint16 CarriedByteByByte(quint16 seed, const QByteArray &bytes)
{
    quint32 accumulator = seed;
    for (char byte : bytes) {
        accumulator += quint8(byte);
        if (accumulator >= 0x10000)
            accumulator = (accumulator + 1) & 0xFFFF;
    }
    return quint16(accumulator);
}

TEST(CommChecksum, FoldedSumEqualsByteByByteCarry)
{
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        const quint16 seed = round % 3 == 0 ? quint16(0xFFFF - round % 7) : quint16(random());
        QByteArray bytes(int(random() % 600), '\0');
        const bool saturated = round % 5 == 0;
        for (char &byte : bytes)
            byte = saturated ? char(0xFF) : char(random());
        CommChecksum checksum(seed);
        checksum.Add(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
        ASSERT_EQ(checksum.Value(), CarriedByteByByte(seed, bytes)) << "round " << round;
    }
}

} // namespace
