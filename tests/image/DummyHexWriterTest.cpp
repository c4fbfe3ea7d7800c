#include "image/DummyHexWriter.h"
#include "support/SmallDisk.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DummyHexWriter : public ::testing::Test {
protected:
    QString Path() const { return m_dir.filePath(QStringLiteral("DummyHex.hex")); }
    QList<QByteArray> Lines() const
    {
        QFile file(Path());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        EXPECT_TRUE(lines.last().isEmpty()) << "file must end with a line end";
        lines.removeLast();
        for (QByteArray &line : lines) {
            EXPECT_TRUE(line.endsWith('\r'));
            line.chop(1);
        }
        return lines;
    }

    QTemporaryDir m_dir;
};

TEST_F(DummyHexWriter, WordAddressedImageHasHalfStepAddresses)
{
    ASSERT_TRUE(WriteDummyHex(Path(), 0x8000, 32768, 2).isEmpty());
    const QList<QByteArray> lines = Lines();
    ASSERT_EQ(lines.size(), 2050);
    EXPECT_EQ(lines[0], "S00500000000FA");
    EXPECT_EQ(lines[1], "S31500008000000102030405060708090A0B0C0D0E0FF2");
    EXPECT_EQ(lines[2], "S31500008008000102030405060708090A0B0C0D0E0FEA");
    EXPECT_EQ(lines[2048], "S3150000BFF8000102030405060708090A0B0C0D0E0FBB");
    EXPECT_EQ(lines[2049], "S70500000000FA");
}

TEST_F(DummyHexWriter, ByteAddressedImageAndIndependentReader)
{
    ASSERT_TRUE(WriteDummyHex(Path(), 0x90000000, 0x100, 1).isEmpty());
    const QList<QByteArray> lines = Lines();
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[1], "S31590000000000102030405060708090A0B0C0D0E0FE2");
    EXPECT_TRUE(lines[16].startsWith("S315900000F0"));

    // srec_cat checks every record's checksum and gives the bytes back.
    QProcess srecCat;
    srecCat.start(QStringLiteral("srec_cat"), {Path(), QStringLiteral("-motorola"), QStringLiteral("-offset"),
                                               QStringLiteral("-0x90000000"), QStringLiteral("-o"),
                                               QStringLiteral("-"), QStringLiteral("-binary")});
    ASSERT_TRUE(srecCat.waitForFinished(30000));
    ASSERT_EQ(srecCat.exitCode(), 0) << srecCat.readAllStandardError().constData();
    QByteArray expected;
    for (int i = 0; i < 0x100; ++i)
        expected.append(char(i % 16));
    EXPECT_EQ(srecCat.readAllStandardOutput(), expected);
}

TEST_F(DummyHexWriter, ShortLengthsAndOddUnitSizes)
{
    ASSERT_TRUE(WriteDummyHex(Path(), 0x1000, 5, 1).isEmpty());
    EXPECT_EQ(Lines(), QList<QByteArray>({"S00500000000FA", "S30A000010000001020304DB", "S70500000000FA"}));

    ASSERT_TRUE(WriteDummyHex(Path(), 0, 0, 2).isEmpty());
    EXPECT_EQ(Lines(), QList<QByteArray>({"S00500000000FA", "S70500000000FA"}));

    ASSERT_TRUE(WriteDummyHex(Path(), 0, 40, 3).isEmpty());
    const QList<QByteArray> mau3 = Lines();
    ASSERT_EQ(mau3.size(), 5);
    EXPECT_TRUE(mau3[2].startsWith("S31500000005"));
    EXPECT_TRUE(mau3[3].startsWith("S30D0000000A"));

    ASSERT_TRUE(WriteDummyHex(Path(), 0x10, 18, 4).isEmpty());
    EXPECT_TRUE(Lines()[2].startsWith("S30700000014"));
}

TEST_F(DummyHexWriter, AddressWrapsAt32Bits)
{
    ASSERT_TRUE(WriteDummyHex(Path(), 0xFFFFFFF0, 32, 1).isEmpty());
    EXPECT_TRUE(Lines()[2].startsWith("S31500000000"));
}

TEST_F(DummyHexWriter, RefusedUnitSizesWriteNothing)
{
    const QStringList errors = {WriteDummyHex(Path(), 0, 16, 0), WriteDummyHex(Path(), 0, 16, 5),
                                WriteDummyHex(Path(), 0, 15, 2)};
    EXPECT_EQ(errors,
              QStringList({QStringLiteral("MAU Factor is incorrect.\r\nApplication will terminate."),
                           QStringLiteral("MAU Factor is incorrect.\r\nApplication will terminate."),
                           QStringLiteral("MAU Factor disagrees with odd byte count.\r\nApplication will terminate.")}));
    EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(DummyHexWriter, UncreatableOrUnwritableFileFails)
{
    const QString missing = m_dir.filePath(QStringLiteral("missing/DummyHex.hex"));
    QList<std::pair<QString, QString>> errors = {
        {WriteDummyHex(missing, 0, 16, 1), missing + QStringLiteral(": No such file or directory\r\n")},
        // A device is never written through: only a file or a link is replaced.
        {WriteDummyHex(QStringLiteral("/dev/null"), 0, 16, 1), QStringLiteral("/dev/null: not a regular file\r\n")}};
    SmallDisk disk;
    if (disk.IsMounted()) {
        const QString full = disk.Path(QStringLiteral("DummyHex.hex"));
        errors.append({WriteDummyHex(full, 0, 100000, 1), full + QStringLiteral(": No space left on device\r\n")});
        EXPECT_FALSE(QFile::exists(full));
    }
    for (const auto &[message, reasonLine] : errors)
        EXPECT_EQ(message.toStdString(),
                  ("Cannot create the dummy hex file.\r\nApplication will terminate.\r\n" + reasonLine).toStdString());
}

} // namespace
