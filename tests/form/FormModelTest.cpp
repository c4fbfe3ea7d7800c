// The form model driving the simulator without widgets: handshake questions,
// erase progress, abort and re-download, View Flash and the state stack.
#include "base/MessageLog.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "flash/ProgramOperation.h"
#include "form/FormModel.h"
#include "support/RecordingPrompter.h"
#include "support/TargetTestSupport.h"
#include "debugger/TargetLink.h"

#include <gtest/gtest.h>

namespace {

class FakeFlashView : public CFlashViewHost {
public:
    explicit FakeFlashView(QStringList &events)
        : m_events(events)
    {
    }
    void SetEditSupport(bool allowed) override { m_events << QStringLiteral("edit %1").arg(allowed); }
    void ShowView(const QString &title) override { m_events << QStringLiteral("show ") + title; }

private:
    QStringList &m_events;
};

class FormModelTest : public ::testing::Test {
protected:
    void Open(const QStringList &componentLines, bool overrideFlash = false, quint32 base = 0, quint32 size = 0)
    {
        m_scratch.WriteFile(QStringLiteral("setup.ini"), "[board Bench]\n[processor CPU]\nkind = sim\nsubfamily = 64x\n");
        ASSERT_TRUE(m_doc.OnNewDocument());
        m_doc.m_strConnection = QStringLiteral("Bench (CPU)");
        m_doc.m_strCvtcFile = m_scratch.WriteComponent(componentLines);
        m_doc.m_bOverrideFlash = overrideFlash;
        m_doc.m_nFlashBase = base;
        m_doc.m_nFlashSize = size;
        m_doc.SetModifiedFlag(false);
        m_form = std::make_unique<CFormModel>(m_doc, FormTimerPeriods{1, 1, 1, 1});
        m_form->SetFlashViewFactory([this](CFlashSession &, quint32 size) {
            m_viewEvents << QStringLiteral("create %1").arg(size);
            return std::make_unique<FakeFlashView>(m_viewEvents);
        });
        m_form->InitialDisplay();
    }
    bool WaitUntilIdleAndLoaded()
    {
        return ProcessEventsUntil([this] { return m_form->Session().IsIdle() && m_form->Link().IsLoaded()
                                                  && !m_form->Controls().Text(ControlId::FlashSizeEdit).isEmpty(); });
    }
    QString Text(int id) const { return m_form->Controls().Text(id); }
    // What the run showed and logged, for failure messages.
    std::string Shown()
    {
        return (m_prompter->messages + m_prompter->logsShown).join(u'|').toStdString() + " log: "
            + theLog.Buffer().toStdString() + QStringLiteral(" idle %1").arg(m_form->Session().IsIdle()).toStdString();
    }

    SimScratch m_scratch;
    ScopedRecordingPrompter m_prompter;
    CCorvaneDoc m_doc;
    std::unique_ptr<CFormModel> m_form;
    QStringList m_viewEvents;
};

TEST_F(FormModelTest, ConnectsDownloadsAndHandshakes)
{
    Open({QStringLiteral("version = 2.15"), QStringLiteral("flash_base = 0x8000"), QStringLiteral("flash_size = 0x4000")});
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    EXPECT_TRUE(m_prompter->questions.isEmpty()) << "empty fields are filled without a question";
    EXPECT_EQ(Text(ControlId::FlashBaseEdit), QStringLiteral("0x8000"));
    EXPECT_EQ(Text(ControlId::FlashSizeEdit), QStringLiteral("0x4000"));
    EXPECT_EQ(Text(ControlId::CvtcVersionEdit), QStringLiteral("2.00015"));
    EXPECT_EQ(Text(ControlId::ConnectionStatusEdit), QStringLiteral("(Connected)"));
    EXPECT_EQ(Text(ControlId::CvtcStatusEdit), QStringLiteral("(Connected)"));
    EXPECT_EQ(Text(ControlId::ProcessorEdit), QStringLiteral("64x"));
    EXPECT_EQ(Text(ControlId::DownloadButton), QStringLiteral("Re-&download CVTC"));
    EXPECT_TRUE(m_form->Controls().IsEnabled(ControlId::ProgramButton));
    EXPECT_EQ(m_form->Session().Facts().maxDataBytes, 4096);
    EXPECT_FALSE(m_doc.IsModified()) << "the first display keeps the document unmodified";
}

TEST_F(FormModelTest, DisagreeingValuesAreAskedAbout)
{
    m_prompter->answers = {true, false};
    Open({QStringLiteral("flash_base = 0x8000"), QStringLiteral("flash_size = 0x4000")}, true, 0x1000, 0x2000);
    ASSERT_TRUE(ProcessEventsUntil([this] { return m_prompter->questions.size() == 2 && m_form->Session().IsIdle(); }));
    EXPECT_EQ(m_prompter->questions[0],
              QStringLiteral("Document's Flash Base Address disagrees withTarget's Base Address.\nWould you like me to "
                             "change Document\nfrom 1000 to 8000 to match the Hardware?"));
    EXPECT_EQ(m_prompter->questions[1],
              QStringLiteral("Document's Flash Memory Size disagrees withTarget's Memory Size.\nWould you like me to "
                             "change Document\nfrom 2000 to 4000 to match the Hardware?"));
    EXPECT_EQ(Text(ControlId::FlashBaseEdit), QStringLiteral("0x8000"));
    EXPECT_EQ(m_doc.m_nFlashBase, 0x8000u);
    EXPECT_EQ(Text(ControlId::FlashSizeEdit), QStringLiteral("0x2000"));
    EXPECT_EQ(m_doc.m_nFlashSize, 0x2000u);
}

TEST_F(FormModelTest, EqualValueInOtherNotationIsNoDisagreement)
{
    Open({QStringLiteral("flash_base = 0"), QStringLiteral("flash_size = 0x8000")}, true, 0, 32768);
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    EXPECT_TRUE(m_prompter->questions.isEmpty());
}

TEST_F(FormModelTest, EraseProgressCyclesAndAbortDownloadsAgain)
{
    // The erase never answers, so the progress runs on until the abort.
    Open({QStringLiteral("erase_seconds = 15"), QStringLiteral("fault.no_answer = 3")});
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    QList<int> positions;
    QObject::connect(&m_form->Controls(), &CFormControls::Changed, [&](int id) {
        const int position = m_form->Controls().ProgressPosition();
        if (id == ControlId::ProgressBar && (positions.isEmpty() || positions.last() != position))
            positions << position;
    });
    m_form->StartErase();
    ASSERT_TRUE(ProcessEventsUntil([&] { return positions.size() >= 19; }));
    EXPECT_EQ(positions.mid(0, 19), QList<int>({0, 66, 132, 198, 264, 330, 396, 462, 528, 594, 660, 726, 792, 858,
                                                924, 990, 1000, 0, 66}));
    EXPECT_TRUE(m_form->Controls().IsVisible(ControlId::AbortButton));
    EXPECT_TRUE(m_form->Controls().IsVisible(ControlId::EraseIcon));
    EXPECT_FALSE(m_form->Controls().IsEnabled(ControlId::EraseButton)) << "buttons are disabled while busy";

    theLog.Clear();
    m_form->OnAbort();
    ASSERT_TRUE(ProcessEventsUntil([&] { return theLog.Buffer().contains("CVTC Download OK."); }));
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    EXPECT_FALSE(m_form->Controls().IsVisible(ControlId::AbortButton));
    EXPECT_FALSE(m_form->Controls().IsVisible(ControlId::ProgressBar));
    EXPECT_FALSE(m_form->Session().IsTimerActive(CFlashSession::kEraseTimerId));
    EXPECT_FALSE(m_form->Controls().Text(ControlId::CvtcVersionEdit).isEmpty()) << "the handshake ran again";
}

// Each way a programming run can end, once: whatever ended it, the image is
// let go (the next Program Flash opens it), and the progress bar, the icons,
// the abort button and the timer are gone. A lost target shows the form disconnected.
TEST_F(FormModelTest, EveryEndOfProgrammingReleasesWhatItHeld)
{
    enum class Act { None, Abort, Disconnect };
    struct Case {
        const char *name;
        QStringList faults;
        Act act;             // done once the first write waits for its answer
        int answerTimeout;   // in the test's short seconds; 0: none
        QString shown;       // what the end shows or logs
        bool connectedAfter;
    };
    const Case cases[] = {
        {"Success", {}, Act::None, 0, QStringLiteral("Corvane of 16 bytes is complete."), true},
        {"ComponentFailure", {QStringLiteral("fault.stuck_bits = 3:0x01")}, Act::None, 0,
         QStringLiteral("Checksum Error: host checksum = 78, flash checksum = 77"), true},
        {"ChildFailure", {QStringLiteral("fault.stuck_bits = 3:0x01"), QStringLiteral("fault.wrong_echo = 6")},
         Act::None, 0, QStringLiteral("Checksum Error: host checksum = 78, flash checksum = 77"), true},
        {"Abort", {QStringLiteral("fault.no_answer = 7")}, Act::Abort, 0, QStringLiteral("CVTC Download OK."), true},
        {"TimeOut", {QStringLiteral("fault.no_answer = 7")}, Act::None, 200,
         QStringLiteral("Target did not answer within 200 seconds."), true},
        {"TargetLost", {QStringLiteral("fault.lost_at = 7")}, Act::None, 0,
         QStringLiteral("The simulated board's connection was lost."), false},
        {"Disconnect", {QStringLiteral("fault.no_answer = 7")}, Act::Disconnect, 0, QString(), false},
    };
    const QByteArray image = "S00600004844521B\r\nS1130000000102030405060708090A0B0C0D0E0F74\r\nS9030000FC\r\n";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_prompter->messages.clear();
        m_prompter->logsShown.clear();
        m_doc.m_bVerifyWrite = 1;
        Open(QStringList {QStringLiteral("flash_base = 0")} + c.faults);
        ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
        CFormModel &form = *m_form;
        form.Session().SetAnswerTimeout(c.answerTimeout);
        form.SetEditText(ControlId::BurnFileEdit, m_scratch.WriteFile(QStringLiteral("a.hex"), image));
        theLog.Clear();
        form.StartProgramming();
        if (c.act != Act::None) {
            ASSERT_TRUE(ProcessEventsUntil(
                [&] { return form.Session().Program().CurrentStep() == CProgramOperation::Step::AskChecksum; }));
            EXPECT_TRUE(form.Controls().IsVisible(ControlId::ProgressBar));
            EXPECT_TRUE(form.Controls().IsVisible(ControlId::AbortButton));
            if (c.act == Act::Abort)
                form.OnAbort();
            else
                form.OnConnectButton();
        }
        ASSERT_TRUE(ProcessEventsUntil([&] {
            return form.Session().IsIdle() && Shown().find(c.shown.toStdString()) != std::string::npos
                && form.Link().IsCreated() == c.connectedAfter && (!c.connectedAfter || form.Link().IsLoaded());
        })) << Shown();
        EXPECT_FALSE(form.Controls().IsVisible(ControlId::AbortButton));
        EXPECT_FALSE(form.Controls().IsVisible(ControlId::ProgressBar));
        EXPECT_FALSE(form.Controls().IsVisible(ControlId::ProgramIcon));
        EXPECT_FALSE(form.Session().IsTimerActive(CFlashSession::kProgramTimerId));
        EXPECT_EQ(form.Controls().IsVisible(ControlId::Step1DoneIcon), c.connectedAfter);
        EXPECT_EQ(Text(ControlId::CvtcStatusEdit),
                  c.connectedAfter ? QStringLiteral("(Connected)") : QStringLiteral("(Not Connected)"));
        if (!c.connectedAfter) {
            EXPECT_EQ(Text(ControlId::ConnectButton), QStringLiteral("&Connect"));
            form.SelectConnection(form.Controls().Connections().FindExactText(QStringLiteral("Bench (CPU)")));
            EXPECT_TRUE(form.Controls().IsEnabled(ControlId::ConnectButton)) << "Connect is offered";
            form.OnConnectButton();
        }
        // The image opens again, for a component downloaded anew.
        form.OnDownloadCommand();
        ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
        form.StartProgramming();
        ASSERT_TRUE(ProcessEventsUntil([&] {
            return form.Session().IsIdle()
                || form.Session().Program().CurrentStep() > CProgramOperation::Step::OpenImage;
        }));
        EXPECT_GT(form.Session().Program().CurrentStep(), CProgramOperation::Step::OpenImage) << Shown();
        if (form.Link().IsCreated())
            form.OnConnectButton();
        EXPECT_TRUE(form.Session().IsIdle());
    }
}

TEST_F(FormModelTest, ViewFlashCreatesTheViewOnceAndShowsItAgain)
{
    Open({QStringLiteral("flash_size = 0x4000"), QStringLiteral("edit = 0")});
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    m_form->StartViewFlash();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_viewEvents.size() == 3; }));
    EXPECT_TRUE(m_form->Session().IsIdle());
    m_form->StartViewFlash();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_viewEvents.size() == 4; }));
    const QString show = QStringLiteral("show ") + m_doc.GetTitle() + QStringLiteral(" Flash Memory");
    EXPECT_EQ(m_viewEvents, QStringList({QStringLiteral("create 16384"), QStringLiteral("edit 0"), show, show}));
}

TEST_F(FormModelTest, HaltWhileIdleOnlyRefreshes)
{
    Open({});
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    m_form->Controls().SetText(ControlId::ConnectionStatusEdit, QStringLiteral("stale"));
    m_form->Session().OnCommMessage();
    EXPECT_TRUE(m_form->Session().IsIdle());
    EXPECT_EQ(Text(ControlId::ConnectionStatusEdit), QStringLiteral("(Connected)"));
}

TEST_F(FormModelTest, EditsGoToTheDocument)
{
    Open({});
    ASSERT_TRUE(WaitUntilIdleAndLoaded()) << Shown();
    m_form->SetEditText(ControlId::ImageOffsetEdit, QStringLiteral("-0x10"));
    EXPECT_EQ(qint32(m_doc.m_nImageOffset), -16);
    m_form->SetCheck(ControlId::OverrideFlashCheck, true);
    EXPECT_FALSE(m_form->Controls().Control(ControlId::FlashBaseEdit).readOnly);
    m_form->SetEditText(ControlId::FlashBaseEdit, QStringLiteral("10H"));
    EXPECT_EQ(m_doc.m_nFlashBase, 0x10u);
    EXPECT_TRUE(m_doc.IsModified());
}

} // namespace
