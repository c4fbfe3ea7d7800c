#include "support/TargetTestSupport.h"

#include "debugger/sim/SimFlash.h"
#include "debugger/sim/SimStateFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

const quint8 *Data(const QByteArray &bytes)
{
    return reinterpret_cast<const quint8 *>(bytes.constData());
}

TEST(SimFlash, BytesBeyondTheEndAreNotStoredAndReadErased)
{
    SimScratch scratch;
    CSimFlash flash(scratch.Path(QStringLiteral("f.flash")), 4);
    flash.Program(2, Data(Bytes({0x11, 0x22, 0x33, 0x44})), 4);
    EXPECT_EQ(flash.Read(2, 4), Bytes({0x11, 0x22, 0xFF, 0xFF}));
    EXPECT_EQ(flash.Read(0xFFFFFFFF, 2), Bytes({0xFF, 0xFF}));
    // The checksum covers the bytes that are really stored.
    EXPECT_EQ(flash.Checksum(2, 4), 0x0033);
}

TEST(SimFlash, StuckBitsAlwaysReadZero)
{
    SimScratch scratch;
    CSimFlash flash(scratch.Path(QStringLiteral("f.flash")), 8);
    flash.SetStuckBits(3, 0x81);
    EXPECT_EQ(flash.Read(2, 3), Bytes({0xFF, 0x7E, 0xFF}));
    EXPECT_EQ(flash.Checksum(3, 1), 0x7E);
    flash.SetStuckBits(0, 0);
    EXPECT_EQ(flash.Read(3, 1), Bytes({0xFF}));
}

TEST(SimFlash, ContentsPersistAndResize)
{
    SimScratch scratch;
    const QString path = scratch.Path(QStringLiteral("state/board (cpu).flash"));
    {
        CSimFlash flash(path, 4);
        EXPECT_TRUE(flash.Save());   // nothing changed: nothing written
        EXPECT_FALSE(QFile::exists(path));
        flash.Program(0, Data(Bytes({0x12, 0x34})), 2);
    }
    {
        CSimFlash flash(path, 6);   // a larger flash keeps the stored bytes
        EXPECT_EQ(flash.Read(0, 6), Bytes({0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFF}));
        flash.Resize(1);
    }
    CSimFlash flash(path, 2);
    EXPECT_EQ(flash.Read(0, 2), Bytes({0x12, 0xFF}));
}

TEST(SimStateFolder, OneFlashPerBoardAndProcessorSharedWhileOpen)
{
    SimScratch scratch;
    EXPECT_EQ(CSimStateFolder::Path(), scratch.Path(QStringLiteral("state")));
    EXPECT_EQ(CSimStateFolder::BaseName(QStringLiteral("../etc/x"), QStringLiteral("CPU")),
              QStringLiteral("..%2Fetc%2Fx (CPU)"));
    QString error;
    const auto first = CSimStateFolder::OpenFlash(QStringLiteral("Board"), QStringLiteral("CPU"), 16, error);
    const auto again = CSimStateFolder::OpenFlash(QStringLiteral("Board"), QStringLiteral("CPU"), 32, error);
    const auto other = CSimStateFolder::OpenFlash(QStringLiteral("Board"), QStringLiteral("DSP"), 16, error);
    ASSERT_TRUE(first && again && other) << error.toStdString();
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->Size(), 32u);
    EXPECT_NE(first, other);
    first->Erase();
    CSimStateFolder::SaveAll();
    EXPECT_TRUE(QFile::exists(CSimStateFolder::FlashPath(QStringLiteral("Board"), QStringLiteral("CPU"))));
    EXPECT_FALSE(QFile::exists(CSimStateFolder::FlashPath(QStringLiteral("Board"), QStringLiteral("DSP"))));
}

TEST(SimStateFolder, FollowsTheEnvironment)
{
    const ScopedEnvironment noFolder("CORVANE_SIM_DIR", QByteArray());
    const ScopedEnvironment stateHome("XDG_STATE_HOME", "/var/tmp/state");
    EXPECT_EQ(CSimStateFolder::Path(), QStringLiteral("/var/tmp/state/corvane/sim"));
    const ScopedEnvironment relative("XDG_STATE_HOME", "relative");
    EXPECT_EQ(CSimStateFolder::Path(), QDir::homePath() + QStringLiteral("/.local/state/corvane/sim"));
}

} // namespace
