// The one failure path: what each run mode's reporter does with a failure.
#include "app/CorvaneApp.h"
#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "support/RecordingPrompter.h"
#include "support/ScopedAppSettings.h"

#include <gtest/gtest.h>

namespace {

using Then = CFailure::Then;

struct ReporterCase {
    const char *commandLine;  // the run mode
    CFailure failure;
    QStringList logged;       // texts the log ends with
    int logsShown;
    QStringList messages;
    int closeRequests;
    bool runFailed;
};

class FailureReporterTest : public testing::TestWithParam<ReporterCase> {};

TEST_P(FailureReporterTest, ShowsLogsAndEndsAsTheRunModeSays)
{
    const ReporterCase &c = GetParam();
    ScopedRecordingPrompter prompter;
    ScopedAppSettings settings(QString::fromLatin1(c.commandLine));
    theLog.Clear();
    theReporter().Report(c.failure);
    EXPECT_TRUE(QString::fromUtf8(theLog.Buffer()).endsWith(c.logged.join(QString()))) << theLog.Buffer().constData();
    EXPECT_EQ(prompter->logsShown.size(), c.logsShown);
    EXPECT_EQ(prompter->messages, c.messages);
    EXPECT_EQ(settings.closeRequests, c.closeRequests);
    EXPECT_EQ(theApp().RunFailed(), c.runFailed);
}

const CFailure kCaused = CFailure::Logged(QStringLiteral("stopped\r\n")).CausedBy(
    CFailure::Message(QStringLiteral("bad digit"), Then::RunGoesOn));

INSTANTIATE_TEST_SUITE_P(
    Modes, FailureReporterTest,
    testing::Values(
        // A user is present: the log is shown, boxes are boxes, only ProgramEnds closes.
        ReporterCase {"board.cdd", CFailure::Logged(QStringLiteral("a\r\n")), {QStringLiteral("a\r\n")}, 1, {}, 0, false},
        ReporterCase {"board.cdd", CFailure::Message(QStringLiteral("b")), {}, 0, {QStringLiteral("b")}, 0, false},
        ReporterCase {"board.cdd", CFailure::Logged(QStringLiteral("c\r\n"), Then::ProgramEnds), {QStringLiteral("c\r\n")},
                      1, {}, 1, false},
        ReporterCase {"board.cdd", kCaused, {QStringLiteral("stopped\r\n")}, 1, {QStringLiteral("bad digit")}, 0, false},
        // Unattended: nothing is shown in a box, every failure fails the run, all but RunGoesOn end it.
        ReporterCase {"board.cdd -c", CFailure::Logged(QStringLiteral("a\r\n"), Then::RunGoesOn),
                      {QStringLiteral("a\r\n")}, 0, {}, 0, true},
        ReporterCase {"board.cdd -c", CFailure::Logged(QStringLiteral("a\r\n")), {QStringLiteral("a\r\n")}, 0, {}, 1, true},
        ReporterCase {"board.cdd -c", CFailure::Logged(QString()), {}, 0, {}, 1, true},
        ReporterCase {"board.cdd -c", kCaused, {QStringLiteral("stopped\r\n")}, 0, {QStringLiteral("bad digit")}, 1,
                      true}));

} // namespace
