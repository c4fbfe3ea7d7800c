#include "MockDebugger.h"
#include "support/TargetTestSupport.h"

#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "debugger/AutomationError.h"
#include "debugger/DspUserSynk.h"
#include "debugger/TargetLink.h"

#include <gtest/gtest.h>

using testing::_;
using testing::Return;

namespace {

QString LogText()
{
    return QString::fromUtf8(theLog.Buffer());
}

// What one Create leaves behind: its result, the link and what was reported.
struct Attempt {
    explicit Attempt(MockDebugger &debugger, qint32 family = 0, qint32 subfamily = 0)
        : link(debugger.factory)
        , family(family)
        , subfamily(subfamily)
    {
        const CResult result = link.Create(0, 0, this->family, this->subfamily);
        created = bool(result);
        if (!result)
            theReporter().Report(result.Failure());
        log = LogText();
    }

    ScopedRecordingPrompter prompter;
    ScopedStatusRecorder status;
    CTargetLink link;
    qint32 family;
    qint32 subfamily;
    bool created = false;
    QString log;
};

TEST(TargetLinkCreate, ConnectsAndDerivesTheAddressingFromTheSubfamily)
{
    struct Case {
        qint32 subfamily;
        qint32 family;
        qint32 addressingUnit;
    };
    for (const Case c : {Case {0x20, 320, 2}, Case {0x54, 320, 2}, Case {0x55, 320, 1}, Case {0x64, 320, 1},
                         Case {1, 470, 1}, Case {2, 470, 1}}) {
        MockDebugger debugger(c.subfamily, true);
        Attempt attempt(debugger);
        SCOPED_TRACE(c.subfamily);
        EXPECT_TRUE(attempt.created);
        EXPECT_TRUE(attempt.link.IsCreated());
        EXPECT_FALSE(attempt.link.IsLoaded());
        EXPECT_EQ(attempt.family, c.family);
        EXPECT_EQ(attempt.subfamily, c.subfamily);
        EXPECT_EQ(attempt.link.AddressingUnit(), c.addressingUnit);
        EXPECT_TRUE(attempt.link.ReverseByteOrder());
        EXPECT_TRUE(attempt.log.endsWith(QStringLiteral("Attempt to create Code Composer Studio...\r\nCCS created OK.\r\n")));
        EXPECT_EQ(attempt.status.texts, (QStringList {QStringLiteral("Connecting to Code Composer Studio"), QString()}));
    }
}

TEST(TargetLinkCreate, ConnectsTheTargetByNameThenHalts)
{
    MockDebugger debugger(0x64, false);
    testing::InSequence order;
    EXPECT_CALL(*debugger.dspUser, Advise(_)).WillOnce(Return(std::optional<quint32>(9)));
    EXPECT_CALL(*debugger.dspUser, NamedMethodId(QStringLiteral("TargetConnect"))).WillOnce(Return(5));
    EXPECT_CALL(*debugger.dspUser, InvokeNamedMethod(5));
    EXPECT_CALL(*debugger.dspUser, Halt());
    Attempt attempt(debugger);
    EXPECT_TRUE(attempt.created);
}

TEST(TargetLinkCreate, WithoutTargetConnectOnlyHalts)
{
    MockDebugger debugger(0x64, false);
    EXPECT_CALL(*debugger.dspUser, InvokeNamedMethod(_)).Times(0);
    EXPECT_CALL(*debugger.dspUser, Halt());
    Attempt attempt(debugger);
    EXPECT_TRUE(attempt.created);
}

struct RefusalCase {
    const char *what;
    std::function<void(MockDebugger &)> breakIt;
    qint32 family;
    qint32 subfamily;
    QString report;
    bool applicationKept;
};

class TargetLinkRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(TargetLinkRefusal, ReportsAndStaysDisconnected)
{
    const RefusalCase &c = GetParam();
    MockDebugger debugger(0x64, false);
    c.breakIt(debugger);
    Attempt attempt(debugger, c.family, c.subfamily);
    EXPECT_FALSE(attempt.created);
    EXPECT_FALSE(attempt.link.IsCreated());
    EXPECT_TRUE(attempt.log.endsWith(c.report)) << attempt.log.toStdString();
    EXPECT_EQ(attempt.prompter->logsShown.size(), 1);
    EXPECT_EQ(attempt.link.Application() != nullptr, c.applicationKept);
}

INSTANTIATE_TEST_SUITE_P(
    Create, TargetLinkRefusal,
    testing::Values(
        RefusalCase {"NoDebugger",
                     [](MockDebugger &d) { ON_CALL(*d.factory, CreateApplication()).WillByDefault(Return(nullptr)); },
                     0, 0, QStringLiteral("Failed to create Code Composer instance\r\n"), false},
        RefusalCase {"NoBoards",
                     [](MockDebugger &d) { ON_CALL(*d.application, BoardCount()).WillByDefault(Return(0)); }, 0, 0,
                     QStringLiteral("No targets are configured for Code Composer\r\n"), false},
        RefusalCase {"NoProcessor",
                     [](MockDebugger &d) { ON_CALL(*d.board, Processor(0)).WillByDefault(Return(nullptr)); }, 0, 0,
                     QStringLiteral("Requested architecture not found in Code Composer\r\n"), true},
        RefusalCase {"WrongFamily", [](MockDebugger &) {}, 470, 0,
                     QStringLiteral("Cannot locate a Code Composer of the expected type (Family: 470)\r\n"), true},
        RefusalCase {"WrongSubfamily", [](MockDebugger &) {}, 0, 0x55,
                     QStringLiteral("Cannot locate a Code Composer of the expected type (Subfamily: 55x)\r\n"), true},
        RefusalCase {"UnknownSubfamily",
                     [](MockDebugger &d) { ON_CALL(*d.dspUser, Subfamily()).WillByDefault(Return(0x30)); }, 0, 0,
                     QStringLiteral("Unable to recognize target: family 320, subfamily 30\r\n"), true}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.what); });

TEST(TargetLinkCreate, FailedAdviseLeavesAHalfOpenConnection)
{
    MockDebugger debugger(0x64, false);
    ON_CALL(*debugger.dspUser, Advise(_)).WillByDefault(Return(std::nullopt));
    EXPECT_CALL(*debugger.dspUser, Halt()).Times(0);
    Attempt attempt(debugger);
    EXPECT_FALSE(attempt.created);
    EXPECT_TRUE(attempt.link.IsCreated());
    EXPECT_TRUE(attempt.log.endsWith(
        QStringLiteral("CCS created OK.\r\nCannot connect sink object - advise failed.\r\nCannot Create Sink Object\r\n")));
    // Without a sink there is nothing to load into.
    const CResult loaded = attempt.link.LoadTargetComponent(QStringLiteral(CORVANE_SOURCE_DIR "/CMakeLists.txt"));
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.Failure().text, QStringLiteral("CCS was not created yet!\r\n"));
}

TEST(TargetLinkRelease, HaltsUnadvisesAndKeepsTheBreakpoint)
{
    MockDebugger debugger(0x64, false);
    Attempt attempt(debugger);
    ASSERT_TRUE(attempt.created);
    testing::Mock::VerifyAndClearExpectations(debugger.dspUser.get());
    EXPECT_CALL(*debugger.dspUser, Halt());
    EXPECT_CALL(*debugger.dspUser, Unadvise(7));
    EXPECT_CALL(*debugger.dspUser, RemoveBreakpoint(_)).Times(0);
    attempt.link.Release();
    EXPECT_FALSE(attempt.link.IsCreated());
    EXPECT_EQ(attempt.link.Application(), nullptr);
    testing::Mock::VerifyAndClearExpectations(debugger.dspUser.get());
    // A second release has nothing left to do.
    EXPECT_CALL(*debugger.dspUser, Halt()).Times(0);
    attempt.link.Release();
}

TEST(TargetLinkRelease, AHaltThatFailsIsLoggedAndTheReleaseCompletes)
{
    MockDebugger debugger(0x64, false);
    Attempt attempt(debugger);
    ASSERT_TRUE(attempt.created);
    EXPECT_CALL(*debugger.dspUser, Halt()).WillOnce([] {
        throw CAutomationError::Described(QStringLiteral("GDB server 127.0.0.1:1 did not answer \"\\x03\" within 1 seconds."));
    });
    EXPECT_CALL(*debugger.dspUser, Unadvise(7));
    attempt.link.Release();
    EXPECT_FALSE(attempt.link.IsCreated());
    EXPECT_TRUE(LogText().endsWith(QStringLiteral("The target was not halted before the disconnect: GDB server "
                                                  "127.0.0.1:1 did not answer \"\\x03\" within 1 seconds.\r\n")))
        << LogText().toStdString();
    EXPECT_TRUE(attempt.prompter->logsShown.isEmpty()) << "not shown as a failure";
}

TEST(TargetLinkDestructor, UnadvisesAndRemovesTheBreakpointOfALoadedComponent)
{
    MockDebugger debugger(0x64, false);
    ON_CALL(*debugger.dspUser, LoadProgram(_)).WillByDefault(Return(true));
    std::shared_ptr<IDspUserEvents> sink;
    ON_CALL(*debugger.dspUser, Advise(_)).WillByDefault([&sink](const std::shared_ptr<IDspUserEvents> &events) {
        sink = events;
        return std::optional<quint32>(3);
    });
    ON_CALL(*debugger.dspUser, Poll()).WillByDefault([&sink] { sink->OnLoadFinished(QString()); });
    ON_CALL(*debugger.dspUser, FindSymbol(_, _)).WillByDefault([](const QString &name, IDspValue &value) {
        static_cast<FakeDspValue &>(value).number = name == QLatin1String("doMessageProc") ? 0x2000 : 0x8000;
        return true;
    });
    {
        Attempt attempt(debugger);
        ASSERT_TRUE(attempt.link.LoadTargetComponent(QStringLiteral(CORVANE_SOURCE_DIR "/CMakeLists.txt")));
        EXPECT_TRUE(attempt.link.IsLoaded());
        testing::InSequence order;
        EXPECT_CALL(*debugger.dspUser, Unadvise(3));
        EXPECT_CALL(*debugger.dspUser, RemoveBreakpoint(testing::Property(&IDspValue::Number, 0x2000u)));
    }
}

TEST(TargetLinkCreate, ConnectingAgainReleasesTheOpenConnectionFirst)
{
    MockDebugger debugger(0x64, false);
    Attempt attempt(debugger);
    EXPECT_CALL(*debugger.dspUser, Unadvise(7));
    EXPECT_CALL(*debugger.dspUser, Advise(_)).WillOnce(Return(std::optional<quint32>(8)));
    qint32 family = 0;
    qint32 subfamily = 0;
    EXPECT_TRUE(attempt.link.Create(0, 0, family, subfamily));
    EXPECT_CALL(*debugger.dspUser, Unadvise(8));
}

} // namespace
