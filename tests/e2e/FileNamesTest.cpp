// Files are written under their names, never through a link planted there,
// and names that are not valid UTF-8 reach the system byte for byte.
#include "SimulatedBoard.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace {

struct LinkCase {
    const char *name;
    const char *fileName;   // the fixed name a run writes
    std::function<CorvaneResult(const SimulatedBoard &)> run;
};

class PlantedLink : public ::testing::TestWithParam<LinkCase> {};

TEST_P(PlantedLink, IsReplacedAndItsTargetKept)
{
    const LinkCase &c = GetParam();
    SimulatedBoard board(QStringLiteral("64x"));
    board.WriteSmallBoard(0x100, QByteArray(16, 0x11));
    board.WriteFile(QStringLiteral("victim.txt"), "keep me");
    const QString name = board.Path(QString::fromLatin1(c.fileName));
    ASSERT_TRUE(QFile::link(board.Path(QStringLiteral("victim.txt")), name));
    const CorvaneResult r = c.run(board);
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(board.ReadFile(QStringLiteral("victim.txt")), "keep me");
    EXPECT_FALSE(QFileInfo(name).isSymLink());
    EXPECT_GT(QFileInfo(name).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(FixedNames, PlantedLink, ::testing::Values(
    LinkCase{"FlashData", "FlashData.txt",
             [](const SimulatedBoard &board) {
                 return board.RunConfig({QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("16")});
             }},
    LinkCase{"Log", "LogCorvane.txt", [](const SimulatedBoard &board) { return board.RunConfig({}); }},
    LinkCase{"DummyHex", "DummyHex.hex",
             [](const SimulatedBoard &board) {
                 return board.Run({QStringLiteral("-g"), QStringLiteral("0"), QStringLiteral("16"), QStringLiteral("1")});
             }}),
    [](const ::testing::TestParamInfo<LinkCase> &info) { return std::string(info.param.name); });

// A folder, a document, an image, a user file and a log named in Latin-1.
class Latin1Names : public ::testing::Test {
protected:
    Latin1Names()
        : board(QStringLiteral("64x"))
    {
        board.WriteComponent({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x100")});
        board.WriteFile(QStringLiteral("board.txt"),
                        "1064 Simulator 64x (CPU)\n1023 " + board.Path(QStringLiteral("component.sim")).toUtf8() + "\n");
        EXPECT_EQ(::mkdir(Raw("sub\xe9").constData(), 0700), 0);
        board.WriteSRecords(QStringLiteral("image.hex"), {{0, image}}, 2, 1);
        board.WriteFile(QStringLiteral("user.bin"), userData);
        EXPECT_EQ(::rename(Raw("image.hex").constData(), Raw("sub\xe9/i\xe9.hex").constData()), 0);
        EXPECT_EQ(::rename(Raw("user.bin").constData(), Raw("sub\xe9/u\xe9.bin").constData()), 0);
    }
    // `name` in the board's folder, as bytes.
    QByteArray Raw(const QByteArray &name) const { return QFile::encodeName(board.Path(QString())) + '/' + name; }
    bool Exists(const QByteArray &name) const
    {
        struct stat status {};
        return ::stat(Raw(name).constData(), &status) == 0;
    }

    SimulatedBoard board;
    const QByteArray image = SimulatedBoard::RandomBytes(64, 9);
    const QByteArray userData = SimulatedBoard::RandomBytes(300, 10);
};

TEST_F(Latin1Names, AreSavedOpenedAndWrittenAsGiven)
{
    const CorvaneResult saved = board.RunWithBytes({"board.txt", "-t", "--save-as", "sub\xe9/d\xe9.cdd"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.constData();
    EXPECT_TRUE(Exists("sub\xe9/d\xe9.cdd"));

    const CorvaneResult run = board.RunWithBytes({"sub\xe9/d\xe9.cdd", "-c", "i\xe9.hex", "u\xe9.bin", "-o", "l\xe9.log"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(board.Flash().left(image.size()), image);
    EXPECT_EQ(board.UserData(), userData);
    EXPECT_TRUE(Exists("sub\xe9/l\xe9.log"));
}

TEST_F(Latin1Names, AreNamedInMessagesAsGiven)
{
    const CorvaneResult r = board.RunWithBytes({"board.txt", "-t", "-c", "sub\xe9/gone\xe9.hex"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(Raw("sub\xe9/gone\xe9.hex: No such file or directory\n"))) << r.err.constData();
}

} // namespace
