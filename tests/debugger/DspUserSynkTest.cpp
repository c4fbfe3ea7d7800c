#include "MockDebugger.h"
#include "support/TargetTestSupport.h"

#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "debugger/AutomationError.h"
#include "debugger/DspUserSynk.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<IDspValue> At(quint32 address)
{
    return std::make_shared<FakeDspValue>(address);
}

TEST(DspUserSynk, NotifiesOnlyAHaltAtTheBreakpoint)
{
    struct Case {
        quint32 breakpoint;
        quint32 haltedAt;
        bool receiverSet;
        int expected;
    };
    for (const Case c : {
             Case {0x2000, 0x2000, true, 1},
             Case {0x2000, 0x2100, true, 0},
             Case {0x2000, 0x2000, false, 0},
             Case {DspUserSynk::kNoBreakpoint, 0x2000, true, 0},   // before any load
             Case {DspUserSynk::kNoBreakpoint, 0xFFFFFFFF, true, 1},
         }) {
        DspUserSynk sink;
        CountingReceiver receiver;
        sink.SetBreakpointAddress(c.breakpoint);
        if (c.receiverSet)
            sink.SetNotifyReceiver(&receiver);
        sink.OnHalted(At(c.haltedAt));
        EXPECT_EQ(receiver.messages, c.expected) << std::hex << c.breakpoint << " " << c.haltedAt;
    }
}

TEST(DspUserSynk, AHaltWithoutLocationIsIgnored)
{
    DspUserSynk sink;
    CountingReceiver receiver;
    sink.SetNotifyReceiver(&receiver);
    sink.OnHalted(nullptr);
    EXPECT_EQ(receiver.messages, 0);
}

// Whether an exchange runs or not, a lost target reaches the lost handler, after the receiver's failure.
TEST(DspUserSynk, ALostTargetFailsTheExchangeThenCallsTheLostHandler)
{
    for (const bool receiverSet : {true, false}) {
        ScopedRecordingPrompter prompter;
        DspUserSynk sink;
        CountingReceiver receiver;
        if (receiverSet)
            sink.SetNotifyReceiver(&receiver);
        qsizetype failuresBeforeLost = -1;
        sink.SetLostHandler([&] { failuresBeforeLost = receiver.failures.size(); });
        sink.OnTargetLost(QStringLiteral("gone"));
        EXPECT_EQ(failuresBeforeLost, receiverSet ? 1 : 0);
        EXPECT_EQ(prompter->logsShown.size(), 1);
    }
}

TEST(DspUserSynk, RecordsTheEndOfALoad)
{
    DspUserSynk sink;
    EXPECT_FALSE(sink.LoadFinished());
    sink.OnLoadFinished(QStringLiteral("bad file"));
    EXPECT_TRUE(sink.LoadFinished());
    EXPECT_EQ(sink.LoadError(), QStringLiteral("bad file"));
    sink.ClearLoadFinished();
    EXPECT_FALSE(sink.LoadFinished());
    sink.OnLoadFinished(QString());
    EXPECT_TRUE(sink.LoadError().isEmpty());
}

TEST(DspUserSynk, AnAutomationErrorInTheStepIsReportedAndFailsTheOperation)
{
    ScopedRecordingPrompter prompter;
    theLog.Clear();
    DspUserSynk sink;
    CountingReceiver receiver;
    receiver.onMessage = [] { throw CAutomationError(CAutomationError::kFailure, QStringLiteral("IDspUser.Run")); };
    sink.SetBreakpointAddress(0x2000);
    sink.SetNotifyReceiver(&receiver);
    sink.OnHalted(At(0x2000));
    const QString text = QStringLiteral("Automation error 0x80004005 in IDspUser.Run.");
    EXPECT_EQ(receiver.failures, QStringList {text});
    EXPECT_TRUE(QString::fromUtf8(theLog.Buffer()).endsWith(text + QStringLiteral("\r\n")));
    EXPECT_EQ(prompter->logsShown.size(), 1);

    // A target lost while it ran fails the operation the same way.
    const QString lost = QStringLiteral("GDB server 127.0.0.1:9 closed the connection.");
    sink.OnTargetLost(lost);
    EXPECT_EQ(receiver.failures, (QStringList {text, lost}));
    EXPECT_TRUE(QString::fromUtf8(theLog.Buffer()).endsWith(lost + QStringLiteral("\r\n")));
}

} // namespace
