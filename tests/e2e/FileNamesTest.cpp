// Files are written under their names, never through a link planted there,
// and names that are not valid UTF-8 reach the system byte for byte.
#include "SimulatedBoard.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class PlantedLink : public ::testing::TestWithParam<std::pair<const char *, const char *>> {};

TEST_P(PlantedLink, IsReplacedAndItsTargetKept)
{
    const auto &[fileName, arguments] = GetParam();
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteSmallBoard(0x100, QByteArray(16, 0x11));
    board.WriteFile(QStringLiteral("victim.txt"), "keep me");
    const QString name = board.Path(QString::fromLatin1(fileName));
    ASSERT_TRUE(QFile::link(board.Path(QStringLiteral("victim.txt")), name));
    EXPECT_EQ(board.Run(Words(arguments)).exitCode, 0);
    EXPECT_EQ(board.ReadFile(QStringLiteral("victim.txt")), "keep me");
    EXPECT_FALSE(QFileInfo(name).isSymLink());
    EXPECT_GT(QFileInfo(name).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(FixedNames, PlantedLink, ::testing::Values(
    std::pair{"FlashData.txt", "board.txt -t -c -r 0 16"}, std::pair{"LogCorvane.txt", "board.txt -t -c"},
    std::pair{"DummyHex.hex", "-g 0 16 1"}));

// A document, image, user file and log named in Latin-1, in a folder so named.
TEST(Latin1Names, AreSavedOpenedWrittenAndNamedAsGiven)
{
    SimulatedBoard board(QStringLiteral("64x"));
    const QByteArray folder = QFile::encodeName(board.Path(QString())) + '/';
    const auto exists = [&](const QByteArray &name) {
        struct stat status {};
        return ::stat((folder + name).constData(), &status) == 0;
    };
    const QByteArray image = SimulatedBoard::RandomBytes(64, 9);
    const QByteArray userData = SimulatedBoard::RandomBytes(300, 10);
    board.WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x100")});
    board.WriteFile(QStringLiteral("board.txt"),
                    "1064 Simulator 64x (CPU)\n1023 " + board.Path(QStringLiteral("component.sim")).toUtf8() + "\n");
    board.WriteSRecords(QStringLiteral("image.hex"), {{0, image}}, 2, 1);
    board.WriteFile(QStringLiteral("user.bin"), userData);
    ASSERT_EQ(::mkdir((folder + "sub\xe9").constData(), 0700), 0);
    ASSERT_EQ(::rename((folder + "image.hex").constData(), (folder + "sub\xe9/i\xe9.hex").constData()), 0);
    ASSERT_EQ(::rename((folder + "user.bin").constData(), (folder + "sub\xe9/u\xe9.bin").constData()), 0);

    EXPECT_EQ(board.RunWithBytes({"board.txt", "-t", "--save-as", "sub\xe9/d\xe9.cdd"}).exitCode, 0);
    EXPECT_TRUE(exists("sub\xe9/d\xe9.cdd"));
    const CorvaneResult run =
        board.RunWithBytes({"sub\xe9/d\xe9.cdd", "-c", "i\xe9.hex", "u\xe9.bin", "-o", "l\xe9.log"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(board.Flash().left(image.size()), image);
    EXPECT_EQ(board.UserData(), userData);
    EXPECT_TRUE(exists("sub\xe9/l\xe9.log"));
    const CorvaneResult missing = board.RunWithBytes({"board.txt", "-t", "-c", "sub\xe9/gone\xe9.hex"});
    EXPECT_TRUE(missing.err.contains(folder + "sub\xe9/gone\xe9.hex: No such file or directory\n"))
        << missing.err.constData();
}

} // namespace
