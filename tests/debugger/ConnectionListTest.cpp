#include "MockDebugger.h"
#include "support/TargetTestSupport.h"

#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "debugger/ConnectionList.h"
#include "debugger/DebuggerApplication.h"
#include "debugger/TargetLink.h"

#include <gtest/gtest.h>

using testing::Return;

namespace {

SetupProcessor Processor(const QString &name, SetupProcessor::Kind kind = SetupProcessor::Kind::Simulator)
{
    SetupProcessor processor;
    processor.name = name;
    processor.kind = kind;
    processor.subfamily = 0x64;
    return processor;
}

// The list examined over a mocked setup that answers `boards` with `status`.
struct Examined {
    Examined(const QList<SetupBoard> &boards, qint32 status = 0, bool setupAvailable = true)
        : factory(std::make_shared<testing::NiceMock<MockFactory>>())
        , setup(std::make_shared<testing::NiceMock<MockSetup>>())
        , link(factory)
    {
        SetupBoardList answer;
        answer.status = status;
        answer.error = status < 0 ? QStringLiteral("setup.ini, line 3: unknown key \"speed\"; keys are ...") : QString();
        answer.boards = boards;
        ON_CALL(*setup, BoardList()).WillByDefault(Return(answer));
        ON_CALL(*factory, CreateSetup()).WillByDefault(Return(setupAvailable ? setup : nullptr));
        theLog.Clear();
        if (const CResult examined = list.Examine(link); !examined)
            theReporter().Report(examined.Failure());
        log = QString::fromUtf8(theLog.Buffer());
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (const CConnectionList::Entry &entry : list.Entries())
            texts.append(entry.text);
        return texts;
    }

    ScopedRecordingPrompter prompter;
    ScopedStatusRecorder status;
    std::shared_ptr<testing::NiceMock<MockFactory>> factory;
    std::shared_ptr<testing::NiceMock<MockSetup>> setup;
    CTargetLink link;
    CConnectionList list;
    QString log;
};

TEST(ConnectionList, ListsProcessorsInOrderSkippingBypassedOnes)
{
    const Examined examined({SetupBoard {QStringLiteral("XDS510"),
                                         {Processor(QStringLiteral("ICEPick"), SetupProcessor::Kind::Bypass),
                                          Processor(QStringLiteral("C64x"))}},
                             SetupBoard {QStringLiteral("Bench"),
                                         {Processor(QStringLiteral("CPU_A")),
                                          Processor(QStringLiteral("JTAG"), SetupProcessor::Kind::Bypass),
                                          Processor(QStringLiteral("CPU_B"))}}});
    EXPECT_EQ(examined.Texts(), (QStringList {QStringLiteral("XDS510 (C64x)"), QStringLiteral("Bench (CPU_A)"),
                                              QStringLiteral("Bench (CPU_B)"), QStringLiteral("Disconnected")}));
    const QList<CConnectionList::Entry> &entries = examined.list.Entries();
    EXPECT_EQ(entries[0].itemData, 0x01000000u);   // the bypassed device does not count
    EXPECT_EQ(entries[1].itemData, 0x01010000u);
    EXPECT_EQ(entries[2].itemData, 0x01010001u);
    EXPECT_EQ(entries[3].itemData, 0u);
    EXPECT_EQ(examined.list.DisconnectedIndex(), 3);
    EXPECT_EQ(examined.status.texts,
              (QStringList {QStringLiteral("Examining available hardware connections"), QString()}));
}

TEST(ConnectionList, FailuresLeaveTheListEmptyWithoutDisconnected)
{
    const Examined noSetup({}, 0, false);
    EXPECT_TRUE(noSetup.list.Entries().isEmpty());
    EXPECT_EQ(noSetup.list.DisconnectedIndex(), -1);
    EXPECT_TRUE(noSetup.log.endsWith(QStringLiteral("Failed to create Code Composer Setup instance\r\n")));

    Examined badList({SetupBoard {QStringLiteral("B"), {Processor(QStringLiteral("P"))}}}, -1);
    EXPECT_TRUE(badList.list.Entries().isEmpty());
    EXPECT_TRUE(badList.log.contains(QStringLiteral("setup.ini, line 3: unknown key")));
    EXPECT_TRUE(badList.log.endsWith(QStringLiteral("Failed to get board list from Code Composer Setup\r\n")));
    EXPECT_EQ(badList.prompter->logsShown.size(), 1);
}

TEST(ConnectionList, FindsTextIgnoringCaseFromTheSecondEntryOn)
{
    const Examined examined({SetupBoard {QStringLiteral("A"), {Processor(QStringLiteral("CPU"))}},
                             SetupBoard {QStringLiteral("a"), {Processor(QStringLiteral("cpu"))}}});
    // Both entries match; the search starts after the first and wraps to it.
    EXPECT_EQ(examined.list.FindExactText(QStringLiteral("A (CPU)")), 1);
    EXPECT_EQ(examined.list.FindExactText(QStringLiteral("disconnected")), 2);
    EXPECT_EQ(examined.list.FindExactText(QStringLiteral("A (CPU")), -1);
    EXPECT_EQ(examined.list.FindItemData(0x01010000u), 1);
    EXPECT_EQ(examined.list.FindItemData(0x01020000u), -1);

    const Examined single({SetupBoard {QStringLiteral("A"), {Processor(QStringLiteral("CPU"))}}});
    EXPECT_EQ(single.list.FindExactText(QStringLiteral("a (cpu)")), 0);
}

} // namespace

namespace {

TEST(ConnectionList, WithoutASetupFileEverySimulatedBoardCanBeConnected)
{
    QTemporaryDir config;
    const ScopedEnvironment noSetup("CORVANE_SETUP", QByteArray());
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", config.path().toUtf8());
    ScopedRecordingPrompter prompter;
    CTargetLink link;
    CConnectionList list;
    list.Examine(link);
    ASSERT_EQ(list.Entries().size(), 12);
    EXPECT_EQ(list.Entries()[7].text, QStringLiteral("Simulator 64x (CPU)"));
    EXPECT_EQ(list.Entries()[11].text, QStringLiteral("Disconnected"));

    const quint32 itemData = list.Entries()[7].itemData;
    qint32 family = 0;
    qint32 subfamily = 0;
    ASSERT_TRUE(link.Create(CConnectionList::BoardIndexOf(itemData), CConnectionList::ProcessorIndexOf(itemData),
                            family, subfamily));
    EXPECT_EQ(family, 320);
    EXPECT_EQ(subfamily, 0x64);
    ASSERT_NE(link.Application(), nullptr);
    EXPECT_FALSE(link.Application()->IsVisible());
    link.Application()->SetVisible(true);
    EXPECT_TRUE(link.Application()->IsVisible());
}

TEST(ConnectionList, AMalformedSetupFileNamesItsLineAndConnectsNothing)
{
    SimScratch scratch;
    scratch.WriteFile(QStringLiteral("setup.ini"), "[board B]\n[processor P]\nkind = sim\nsubfamily = 66x\n");
    ScopedRecordingPrompter prompter;
    theLog.Clear();
    CTargetLink link;
    CConnectionList list;
    EXPECT_FALSE(list.Examine(link));
    EXPECT_TRUE(list.Entries().isEmpty());
    const QString expected = scratch.Path(QStringLiteral("setup.ini")) + QStringLiteral(", line 4: unknown sub-family");
    EXPECT_TRUE(QString::fromUtf8(theLog.Buffer()).contains(expected));
    qint32 family = 0;
    qint32 subfamily = 0;
    theLog.Clear();
    const CResult created = link.Create(0, 0, family, subfamily);
    ASSERT_FALSE(created);
    EXPECT_EQ(created.Failure().text, QStringLiteral("Failed to create Code Composer instance\r\n"));
    EXPECT_TRUE(QString::fromUtf8(theLog.Buffer()).contains(expected));
}

} // namespace
