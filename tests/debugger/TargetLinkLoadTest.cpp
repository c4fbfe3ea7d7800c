#include "MockDebugger.h"
#include "support/TargetTestSupport.h"

#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "wire/CommMessage.h"
#include "debugger/AutomationError.h"
#include "debugger/DspUserEvents.h"
#include "debugger/TargetLink.h"

#include <gtest/gtest.h>

using testing::_;
using testing::Return;

namespace {

const QString kComponent = QStringLiteral(CORVANE_SOURCE_DIR "/CMakeLists.txt");

// A link connected to a mocked processor whose load ends when `pollsToFinish`
// polls have passed, each poll moving the clock by `msPerPoll`.
class LoadTest : public testing::Test {
protected:
    LoadTest()
        : debugger(0x64, false)
        , clock(kClockStart)
        , link(debugger.factory)
    {
        ON_CALL(*debugger.dspUser, Advise(_)).WillByDefault([this](const std::shared_ptr<IDspUserEvents> &events) {
            sink = events;
            return std::optional<quint32>(1);
        });
        ON_CALL(*debugger.dspUser, LoadProgram(_)).WillByDefault(Return(true));
        ON_CALL(*debugger.dspUser, Poll()).WillByDefault([this] {
            ++polls;
            clock.Advance(msPerPoll);
            if (polls == pollsToFinish)
                sink->OnLoadFinished(loadError);
        });
        ON_CALL(*debugger.dspUser, FindSymbol(_, _)).WillByDefault([this](const QString &name, IDspValue &value) {
            if (missing.contains(name))
                return false;
            static_cast<FakeDspValue &>(value).number = name == QLatin1String("doMessageProc") ? 0x2000 : 0x8000;
            return true;
        });
        ON_CALL(*debugger.dspUser, EvaluateSymbol(_, _)).WillByDefault(Return(-1));
        qint32 family = 0;
        qint32 subfamily = 0;
        EXPECT_TRUE(link.Create(0, 0, family, subfamily));
        theLog.Clear();
    }

    bool Load(quint32 timeoutMs = 10000)
    {
        const CResult loaded = link.LoadTargetComponent(kComponent, timeoutMs);
        if (!loaded)
            theReporter().Report(loaded.Failure());
        log = QString::fromUtf8(theLog.Buffer());
        return bool(loaded);
    }

    static constexpr quint32 kClockStart = 1000;
    MockDebugger debugger;
    ScopedFakeClock clock;
    ScopedRecordingPrompter prompter;
    CTargetLink link;
    std::shared_ptr<IDspUserEvents> sink;
    int polls = 0;
    int pollsToFinish = 1;
    quint32 msPerPoll = 10;
    QString loadError;
    QStringList missing;
    QString log;
};

TEST_F(LoadTest, LoadsSetsTheBreakpointAndFindsTheBuffer)
{
    ScopedStatusRecorder status;
    EXPECT_CALL(*debugger.dspUser, LoadProgram(QFileInfo(kComponent).absoluteFilePath())).WillOnce(Return(true));
    EXPECT_CALL(*debugger.dspUser, SetBreakpoint(testing::Property(&IDspValue::Number, 0x2000u)));
    EXPECT_TRUE(Load());
    EXPECT_TRUE(link.IsLoaded());
    EXPECT_TRUE(log.endsWith(QStringLiteral("Req. CVTC Load.\r\nCVTC Download OK.\r\n")));
    EXPECT_EQ(status.texts, (QStringList {QStringLiteral("Loading the CVTC program"), QString()}));
}

TEST_F(LoadTest, AFileThatCannotBeOpenedFailsAtOnce)
{
    EXPECT_CALL(*debugger.dspUser, LoadProgram(_)).Times(0);
    EXPECT_FALSE(link.LoadTargetComponent(QStringLiteral("/nonexistent/cvtc.out")));
    EXPECT_TRUE(theLog.Buffer().endsWith("\r\nReq. CVTC Load.\r\n/nonexistent/cvtc.out: No such file or directory\r\n"))
        << theLog.Buffer().constData();
}

TEST_F(LoadTest, ARefusedLoadIsReported)
{
    ON_CALL(*debugger.dspUser, LoadProgram(_)).WillByDefault(Return(false));
    EXPECT_FALSE(Load());
    EXPECT_TRUE(log.endsWith(QStringLiteral(".out File load attempt failed.\r\n")));
}

TEST_F(LoadTest, TimesOutAfterAtLeastOnePoll)
{
    pollsToFinish = 100;
    msPerPoll = 6000;
    EXPECT_FALSE(Load());
    EXPECT_EQ(polls, 2);
    EXPECT_TRUE(log.endsWith(QStringLiteral("Timed out Loading CVTC.\r\n")));
    EXPECT_FALSE(link.IsLoaded());
}

TEST_F(LoadTest, ALoadEndingInThePollThatPassesTheDeadlineTimesOut)
{
    pollsToFinish = 2;
    msPerPoll = 6000;
    EXPECT_FALSE(Load());
    EXPECT_TRUE(log.endsWith(QStringLiteral("Timed out Loading CVTC.\r\n")));
}

TEST_F(LoadTest, TheDeadlineHoldsAcrossTheClockWrapping)
{
    clock.Advance(0xFFFFFFFFu - kClockStart - 50);   // 50 ms before the wrap
    pollsToFinish = 5;
    msPerPoll = 30;
    EXPECT_TRUE(Load(1000));
    EXPECT_EQ(polls, 5);
}

TEST_F(LoadTest, AFinishedLoadIsNotPolledFor)
{
    ON_CALL(*debugger.dspUser, LoadProgram(_)).WillByDefault([this](const QString &) {
        sink->OnLoadFinished(QString());
        return true;
    });
    EXPECT_TRUE(Load());
    EXPECT_EQ(polls, 0);
}

TEST_F(LoadTest, AFailedLoadRecordsItsReasonAndStaysUnloaded)
{
    loadError = QStringLiteral("cvtc.txt, line 1: not a simulated target component file.");
    EXPECT_CALL(*debugger.dspUser, SetBreakpoint(_)).Times(0);
    EXPECT_FALSE(Load());
    EXPECT_FALSE(link.IsLoaded());
    EXPECT_TRUE(log.endsWith(loadError + QStringLiteral("\r\n")));
}

TEST_F(LoadTest, AMissingBreakpointSymbolLeavesTheComponentLoaded)
{
    missing = QStringList {QStringLiteral("doMessageProc")};
    EXPECT_CALL(*debugger.dspUser, SetBreakpoint(_)).Times(0);
    EXPECT_FALSE(Load());
    EXPECT_TRUE(link.IsLoaded());
    EXPECT_TRUE(log.endsWith(QStringLiteral("CVTC Download OK.\r\nFailed to get BP addr\r\n")));
}

TEST_F(LoadTest, AMissingMessageBufferLeavesTheBreakpointSet)
{
    missing = QStringList {QStringLiteral("theMessage")};
    EXPECT_CALL(*debugger.dspUser, SetBreakpoint(_));
    EXPECT_FALSE(Load());
    EXPECT_TRUE(link.IsLoaded());
    EXPECT_TRUE(log.endsWith(QStringLiteral("Failed to get msg storage addr\r\n")));
}

TEST_F(LoadTest, TheAlternativeLookupFindsTheMessageBuffer)
{
    missing = QStringList {QStringLiteral("theMessage")};
    EXPECT_CALL(*debugger.dspUser, EvaluateSymbol(QStringLiteral("theMessage"), _)).WillOnce(Return(0));
    EXPECT_TRUE(Load());
}

TEST_F(LoadTest, ValuesThatCannotBeMadeAreShownAndRecorded)
{
    EXPECT_CALL(*debugger.dspUser, CreateAddressValue(0)).WillOnce(Return(nullptr));
    EXPECT_FALSE(Load());
    EXPECT_TRUE(log.endsWith(QStringLiteral("Failed to make BP value\r\n")));
    EXPECT_EQ(prompter->messages, QStringList {QStringLiteral("Can't make BP Value")});

    prompter->messages.clear();
    polls = 0;
    EXPECT_CALL(*debugger.dspUser, CreateAddressValue(0))
        .WillOnce(Return(std::make_shared<FakeDspValue>()))
        .WillOnce(Return(nullptr));
    EXPECT_FALSE(Load());
    EXPECT_TRUE(log.endsWith(QStringLiteral("Failed to make storage value\r\n")));
    EXPECT_EQ(prompter->messages, QStringList {QStringLiteral("Can't make Storage Value")});
}

TEST_F(LoadTest, HaltTargetUnloads)
{
    ASSERT_TRUE(Load());
    EXPECT_CALL(*debugger.dspUser, Halt());
    link.HaltTarget();
    EXPECT_FALSE(link.IsLoaded());
}

} // namespace

namespace {

TEST_F(LoadTest, TheTransportMovesTheHeaderOrTheDataInUse)
{
    ASSERT_TRUE(Load());
    link.SetMaxDataBytes(256);
    CommMessage message;
    message.SetCommand(CommandCode::SendUserData);
    message.SetData(reinterpret_cast<const quint8 *>("12345"), 5, 256);

    EXPECT_CALL(*debugger.dspUser, Run()).Times(2);
    link.SendMessage(message);
    ASSERT_FALSE(debugger.blocks.empty());
    EXPECT_EQ(debugger.blocks.back()->address, 0x8000u);
    EXPECT_EQ(debugger.blocks.back()->count, 40);   // 37 bytes in whole 32-bit words
    link.SendHeader(message);
    EXPECT_EQ(debugger.blocks.back()->count, 32);

    CommMessage answer;
    link.ReceiveMessage(answer);
    EXPECT_EQ(debugger.blocks.back()->count, 32 + 256);
    link.ReceiveHeader(answer);
    EXPECT_EQ(debugger.blocks.back()->count, 32);
}

// A target resumed over a half-written request would act on garbage.
TEST_F(LoadTest, ASendWhoseWriteFailedReturnsTheFailureAndDoesNotResume)
{
    ASSERT_TRUE(Load());
    ON_CALL(*debugger.dspUser, WriteBlock(_)).WillByDefault(Return(false));
    EXPECT_CALL(*debugger.dspUser, Run()).Times(0);
    const CResult sent = link.SendHeader(CommMessage());
    ASSERT_FALSE(sent);
    EXPECT_EQ(sent.Failure().text, QStringLiteral("Failed to write"));
}

TEST_F(LoadTest, TheTransportNeedsALoadedComponent)
{
    CommMessage message;
    EXPECT_THROW(link.SendHeader(message), CAutomationError);
}

} // namespace
