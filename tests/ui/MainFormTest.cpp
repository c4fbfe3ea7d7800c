#include "UiTestSupport.h"

#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "debugger/ExchangeMonitor.h"
#include "debugger/sim/SimMonitor.h"
#include "ui/CorvaneView.h"
#include "ui/FlashMemoryDlg.h"
#include "ui/HelpWindow.h"
#include "ui/ExchangeWindow.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/SimulatorWindow.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

namespace {

using MainForm = GuiTest;

QString TextOf(QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *button = qobject_cast<QPushButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return QString();
}

// Replaces an edit's text as the user would: select all, then type.
void Type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

QStringList MenuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QStringList MenuTitles(const QMenuBar *bar)
{
    QStringList titles;
    for (const QAction *action : bar->actions())
        titles.append(action->text());
    return titles;
}

QMenu *MenuOf(QMenuBar *bar, const QString &title)
{
    for (QAction *action : bar->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

// The form's texts, shown states and enabled states in one of the three refresh states.
struct RefreshState {
    QString connectionStatus, connectButton, downloadButton, processor, cvtcStatus, units;
    bool connectEnabled, downloadEnabled, listEnabled, step2, step3, stepButtons, step1Mark, step2Mark;
};

void ExpectRefreshState(CCorvaneView &view, const RefreshState &expected)
{
    EXPECT_EQ(TextOf(view.Control(ControlId::ConnectionStatusEdit)), expected.connectionStatus);
    EXPECT_EQ(TextOf(view.Control(ControlId::ConnectButton)), expected.connectButton);
    EXPECT_EQ(TextOf(view.Control(ControlId::DownloadButton)), expected.downloadButton);
    EXPECT_EQ(TextOf(view.Control(ControlId::ProcessorEdit)), expected.processor);
    EXPECT_EQ(TextOf(view.Control(ControlId::CvtcStatusEdit)), expected.cvtcStatus);
    EXPECT_EQ(TextOf(view.Control(ControlId::FlashBaseUnitLabel)), expected.units);
    EXPECT_EQ(TextOf(view.Control(ControlId::ImageOffsetUnitLabel)), expected.units);
    EXPECT_EQ(view.Control(ControlId::ConnectButton)->isEnabled(), expected.connectEnabled);
    EXPECT_EQ(view.Control(ControlId::DownloadButton)->isEnabled(), expected.downloadEnabled);
    EXPECT_EQ(view.Control(ControlId::ConnectionList)->isEnabled(), expected.listEnabled);
    EXPECT_EQ(view.IsGroupTitleEnabled(ControlId::Step2Group), expected.step2);
    EXPECT_EQ(view.Control(ControlId::OverrideFlashCheck)->isEnabled(), expected.step2);
    EXPECT_EQ(view.IsGroupTitleEnabled(ControlId::Step3Group), expected.step3);
    EXPECT_EQ(view.Control(ControlId::ImageOffsetEdit)->isEnabled(), expected.step3);
    for (int id : {ControlId::EraseButton, ControlId::ProgramButton, ControlId::ViewFlashButton})
        EXPECT_EQ(view.Control(id)->isEnabled(), expected.stepButtons) << id;
    EXPECT_EQ(view.Control(ControlId::Step1DoneIcon)->isVisible(), expected.step1Mark);
    EXPECT_EQ(view.Control(ControlId::Step2DoneIcon)->isVisible(), expected.step2Mark);
    EXPECT_EQ(view.Control(ControlId::DownloadedIcon)->isVisible(), expected.step2Mark);
    EXPECT_EQ(view.Control(ControlId::NotDownloadedIcon)->isVisible(), !expected.step2Mark);
    // The file edits and their browse buttons stay usable in every state.
    for (int id : {ControlId::CvtcFileEdit, ControlId::BurnFileEdit, ControlId::HexCmdEdit, ControlId::CvtcFileBrowse,
                   ControlId::BurnFileBrowse, ControlId::HexCmdBrowse})
        EXPECT_TRUE(view.Control(id)->isEnabled()) << id;
}

TEST_F(MainForm, OpeningADocumentConnectsDownloadsTheComponentAndShakesHands)
{
    const QString path = WriteDocument();
    OpenReadyDocument(path);

    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvane - board.cdd"));
    ExpectRefreshState(View(),
                       {QStringLiteral("(Connected)"), QStringLiteral("Dis&connect"), QStringLiteral("Re-&download CVTC"),
                        QStringLiteral("64x"), QStringLiteral("(Connected)"), QStringLiteral("(bytes)"), true, true,
                        false, true, true, true, true, true});
    EXPECT_EQ(Widget<QComboBox>(ControlId::ConnectionList)->currentText(), QLatin1String(kBoard64x));
    EXPECT_EQ(TextOf(View().Control(ControlId::CvtcVersionEdit)), QStringLiteral("2.00015"));
    EXPECT_EQ(TextOf(View().Control(ControlId::FlashBaseEdit)), QStringLiteral("0x90000000"));
    EXPECT_EQ(TextOf(View().Control(ControlId::FlashSizeEdit)), QStringLiteral("0x40000"));
    EXPECT_TRUE(Widget<QLineEdit>(ControlId::FlashBaseEdit)->isReadOnly());
    EXPECT_FALSE(View().Control(ControlId::Step3DoneIcon)->isVisible());
    EXPECT_FALSE(View().Control(ControlId::WriteBootAddrCheck)->isEnabled());
    EXPECT_TRUE(Widget<QCheckBox>(ControlId::VerifyWriteCheck)->isChecked());
    EXPECT_EQ(frame->RecentFiles().Paths().value(0), path);
    EXPECT_FALSE(frame->Document()->IsModified());
    EXPECT_TRUE(prompter->logsShown.isEmpty()) << prompter->logsShown.join(u'|').toStdString();
}

TEST_F(MainForm, ControlsFollowTheConnectionAndDownloadStates)
{
    ASSERT_TRUE(frame->OpenDocument(WriteDocument([](CCorvaneDoc &doc) {
        doc.m_strConnection = QStringLiteral("Disconnected");
        doc.m_strCvtcFile.clear();
        doc.m_strBurnFile.clear();
    })));
    const RefreshState notConnected {QStringLiteral("(Not Connected)"), QStringLiteral("&Connect"),
                                     QStringLiteral("Download CVTC"), QStringLiteral("(Not Determined)"),
                                     QStringLiteral("(Not Connected)"), QStringLiteral("(units)"), false, false, true,
                                     false, false, false, false, false};
    ExpectRefreshState(View(), notConnected);

    // Choosing a processor entry enables Connect and goes into the document.
    auto *list = Widget<QComboBox>(ControlId::ConnectionList);
    const int index = list->findText(QLatin1String(kBoard64x));
    ASSERT_GE(index, 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
    EXPECT_TRUE(View().Control(ControlId::ConnectButton)->isEnabled());
    EXPECT_EQ(frame->Document()->m_strConnection, QLatin1String(kBoard64x));

    Click(ControlId::ConnectButton);
    ExpectRefreshState(View(),
                       {QStringLiteral("(Connected)"), QStringLiteral("Dis&connect"), QStringLiteral("&Download CVTC"),
                        QStringLiteral("64x"), QStringLiteral("(Not Connected)"), QStringLiteral("(bytes)"), true, true,
                        false, true, false, false, true, false});
    // The menu command needs a program file; the button does not.
    frame->UpdateCommandUI();
    EXPECT_FALSE(frame->Action(CommandId::DownloadCvtc)->isEnabled());
    Type(Widget<QLineEdit>(ControlId::CvtcFileEdit), WriteComponent());
    frame->UpdateCommandUI();
    EXPECT_TRUE(frame->Action(CommandId::DownloadCvtc)->isEnabled());
    EXPECT_EQ(frame->Document()->m_strCvtcFile, WriteComponent());

    Click(ControlId::DownloadButton);
    ASSERT_TRUE(WaitReady());
    ExpectRefreshState(View(),
                       {QStringLiteral("(Connected)"), QStringLiteral("Dis&connect"), QStringLiteral("Re-&download CVTC"),
                        QStringLiteral("64x"), QStringLiteral("(Connected)"), QStringLiteral("(bytes)"), true, true,
                        false, true, true, true, true, true});
    // Without a file to burn the menu's Program Flash is grey while the button is not.
    frame->UpdateCommandUI();
    EXPECT_FALSE(frame->Action(CommandId::ProgramFlash)->isEnabled());
    EXPECT_TRUE(frame->Action(CommandId::EraseFlash)->isEnabled());
    EXPECT_TRUE(View().Control(ControlId::ProgramButton)->isEnabled());

    Click(ControlId::ConnectButton);
    ExpectRefreshState(View(), notConnected);
    EXPECT_EQ(list->currentText(), QStringLiteral("Disconnected"));
    EXPECT_TRUE(TextOf(View().Control(ControlId::CvtcVersionEdit)).isEmpty());
}

TEST_F(MainForm, EditsGoIntoTheDocument)
{
    OpenReadyDocument(WriteDocument());
    // "Changed blocks only" is the user's setting: the document does not change.
    Widget<QCheckBox>(ControlId::ChangedOnlyCheck)->click();
    EXPECT_FALSE(frame->Document()->IsModified());
    EXPECT_TRUE(QSettings().value(QStringLiteral("ChangedBlocksOnly")).toBool());
    auto *base = Widget<QLineEdit>(ControlId::FlashBaseEdit);
    // Read-only edits are not in the tab order.
    for (int id : {ControlId::FlashBaseEdit, ControlId::FlashSizeEdit, ControlId::ProcessorEdit,
                   ControlId::ConnectionStatusEdit, ControlId::CvtcVersionEdit, ControlId::CvtcStatusEdit}) {
        EXPECT_TRUE(Widget<QLineEdit>(id)->isReadOnly()) << id;
        EXPECT_EQ(Widget<QLineEdit>(id)->focusPolicy(), Qt::NoFocus) << id;
    }
    Widget<QCheckBox>(ControlId::OverrideFlashCheck)->click();
    EXPECT_FALSE(base->isReadOnly());
    EXPECT_EQ(base->focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(Widget<QLineEdit>(ControlId::FlashSizeEdit)->isReadOnly());
    EXPECT_EQ(frame->Document()->m_bOverrideFlash, 1);

    // Text that is no number is marked, stays out of the document and stops the operations that need it.
    Type(base, QStringLiteral("hello"));
    EXPECT_TRUE(base->styleSheet().contains(QStringLiteral("border")));
    EXPECT_TRUE(base->toolTip().contains(QStringLiteral("0x1000"))) << base->toolTip().toStdString();
    EXPECT_EQ(frame->Document()->m_nFlashBase, 0x90000000u);
    const int writes = CommandCount(QStringLiteral("WriteFlash"));
    Click(ControlId::ProgramButton);
    Click(ControlId::ViewFlashButton);
    ProcessPendingEvents();
    EXPECT_EQ(prompter->messages,
              QStringList(2, QStringLiteral("The Flash Base Address field holds \"hello\", which is not a number.\r\n"
                                            "Numbers are written as 4096, 0x1000, 1000H, 010000, 10000Q or 1010B, "
                                            "with an optional sign.")));
    EXPECT_EQ(CommandCount(QStringLiteral("WriteFlash")), writes);
    EXPECT_TRUE(Model().Facts().idle);

    Type(base, QStringLiteral("10H"));
    EXPECT_FALSE(base->styleSheet().contains(QStringLiteral("border")));
    EXPECT_TRUE(base->toolTip().isEmpty());
    EXPECT_EQ(frame->Document()->m_nFlashBase, 0x10u);
    Type(Widget<QLineEdit>(ControlId::ImageOffsetEdit), QStringLiteral("-0x10"));
    EXPECT_EQ(qint32(frame->Document()->m_nImageOffset), -0x10);
    Widget<QCheckBox>(ControlId::VerifyWriteCheck)->click();
    EXPECT_EQ(frame->Document()->m_bVerifyWrite, 0);
    EXPECT_TRUE(frame->Document()->IsModified());

    // The edit commands work on the edit that has the focus.
    auto *burn = Widget<QLineEdit>(ControlId::BurnFileEdit);
    burn->setFocus();
    burn->selectAll();
    frame->OnCommand(MenuCommand::EditCut);
    EXPECT_TRUE(frame->Document()->m_strBurnFile.isEmpty());
    frame->OnCommand(MenuCommand::EditUndo);
    EXPECT_EQ(frame->Document()->m_strBurnFile, scratch.Path(QStringLiteral("app.hex")));
}

// Selects a processor in the connection list, connects and downloads the target component.
void SwitchProcessor(CCorvaneView &view, const QString &connection)
{
    if (view.Model().Facts().connected)
        qobject_cast<QPushButton *>(view.Control(ControlId::ConnectButton))->click();
    auto *list = qobject_cast<QComboBox *>(view.Control(ControlId::ConnectionList));
    const int index = list->findText(connection);
    ASSERT_GE(index, 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
    qobject_cast<QPushButton *>(view.Control(ControlId::ConnectButton))->click();
    qobject_cast<QPushButton *>(view.Control(ControlId::DownloadButton))->click();
}

TEST_F(MainForm, TheBootAddressBoxShowsTheDocumentsFlagAndProgrammingTakesIt)
{
    for (const bool flag : {false, true}) {
        OpenReadyDocument(WriteDocument([flag](CCorvaneDoc &doc) { doc.m_bWriteBootAddr = flag; }));
        auto *box = Widget<QCheckBox>(ControlId::WriteBootAddrCheck);
        EXPECT_EQ(box->isChecked(), flag);
        EXPECT_FALSE(box->isEnabled()) << "a 64x has no boot address";

        SwitchProcessor(View(), QStringLiteral("Simulator 54x (CPU)"));
        ASSERT_TRUE(WaitReady());
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(box->isChecked(), flag);
        EXPECT_EQ(Model().ProgramJob().writeBootAddress, flag);
        box->click();
        EXPECT_EQ(frame->Document()->m_bWriteBootAddr != 0, !flag);
        EXPECT_EQ(Model().ProgramJob().writeBootAddress, !flag);
        EXPECT_TRUE(View().SummaryText().contains(flag ? QStringLiteral("Write Boot Addr: No")
                                                       : QStringLiteral("Write Boot Addr: Yes")));
        frame->Document()->SetModifiedFlag(false);
        ASSERT_TRUE(frame->CloseDocument());
    }
}

TEST_F(MainForm, BrowsingPutsTheChosenPathIntoTheEditAndTheDocument)
{
    OpenReadyDocument(WriteDocument());
    // Each dialog starts in the folder of the edit's file, else in the last folder a file was chosen in.
    const QString scratchFolder = QFileInfo(scratch.Path(QStringLiteral("app.hex"))).absolutePath();
    const QString picked = scratch.Path(QStringLiteral("picked"));
    ASSERT_TRUE(QDir().mkpath(picked));
    const struct {
        int button;
        int edit;
        QString title;
        QString filter;
        QString folder;
    } browsers[] = {
        {ControlId::BurnFileBrowse, ControlId::BurnFileEdit, QStringLiteral("Select A Hex File For Burning..."),
         QStringLiteral("Hex Files (*.hex)|*.hex|Data Files (*.dat)|*.dat|Text Files (*.txt)|*.txt|"
                        "S-Records (*.s19;*.s28;*.s37;*.srec;*.mot)|*.s19;*.s28;*.s37;*.srec;*.mot|"
                        "Intel HEX (*.ihex;*.ihx)|*.ihex;*.ihx|Tektronix (*.tek)|*.tek|ELF Files (*.elf;*.out)|*.elf;*.out|"
                        "Binary Files (*.bin)|*.bin|All Files (*.*)|*.*||"),
         scratchFolder},
        {ControlId::CvtcFileBrowse, ControlId::CvtcFileEdit, QStringLiteral("Select An CVTC Program..."),
         QStringLiteral("Coff Files (*.out)|*.out|ELF Files (*.elf)|*.elf|Simulated Components (*.sim)|*.sim|All Files "
                        "(*.*)|*.*||"),
         scratchFolder},
        {ControlId::HexCmdBrowse, ControlId::HexCmdEdit, QStringLiteral("Select A Command File For Hex Conversion"),
         QStringLiteral("Hex Cmd Files (*.cmd)|*.cmd|All Files (*.*)|*.*||"), picked},
    };
    for (const auto &browser : browsers) {
        const QString chosen = picked + QStringLiteral("/chosen-%1").arg(browser.button);
        fileDialogs.answers = {chosen};
        Click(browser.button);
        ASSERT_FALSE(fileDialogs.requests.isEmpty());
        EXPECT_EQ(fileDialogs.requests.last().title, browser.title);
        EXPECT_EQ(fileDialogs.requests.last().filter, browser.filter);
        EXPECT_EQ(fileDialogs.folders.last(), browser.folder) << browser.button;
        EXPECT_EQ(TextOf(View().Control(browser.edit)), chosen);
    }
    EXPECT_EQ(frame->Document()->m_strBurnFile, picked + QStringLiteral("/chosen-1022"));
    EXPECT_EQ(frame->Document()->m_strCvtcFile, picked + QStringLiteral("/chosen-1024"));
    EXPECT_EQ(frame->Document()->m_strHexCmdFile, picked + QStringLiteral("/chosen-1025"));
    // A cancelled dialog changes nothing.
    Click(ControlId::BurnFileBrowse);
    EXPECT_EQ(fileDialogs.folders.last(), picked);
    EXPECT_EQ(frame->Document()->m_strBurnFile, picked + QStringLiteral("/chosen-1022"));
}

// A window narrower than the form (a large scale factor on a small screen) scrolls the form; the image
// offset keeps room for a 32-bit number.
TEST_F(MainForm, TheImageOffsetKeepsItsWidthInANarrowWindow)
{
    OpenReadyDocument(WriteDocument());
    frame->setFixedSize(300, 400);
    ProcessPendingEvents();
    auto *offset = Widget<QLineEdit>(ControlId::ImageOffsetEdit);
    EXPECT_GE(offset->width(), offset->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")));
}

TEST_F(MainForm, TheComponentDialogPreselectsTheFilesOfTheSelectedConnection)
{
    const ScopedEnvironment setup(
        "CORVANE_SETUP", scratch
                             .WriteFile(QStringLiteral("setup.ini"),
                                        "[board Sim]\n[processor CPU]\nkind = sim\nsubfamily = 64x\n[board Bench]\n"
                                        "[processor QEMU]\nkind = gdb\nsubfamily = ARM9\naddress = 127.0.0.1:1\n")
                             .toUtf8());
    ASSERT_TRUE(frame->OpenDocument(WriteDocument([](CCorvaneDoc &doc) {
        doc.m_strConnection = QStringLiteral("Disconnected");
        doc.m_strCvtcFile.clear();
    })));
    const struct {
        int connection;
        QString pattern;
        QString suffix;
    } cases[] = {
        {0, QStringLiteral("*.sim"), QStringLiteral("sim")},
        {1, QStringLiteral("*.elf"), QStringLiteral("elf")},
        {2, QStringLiteral("*.out"), QStringLiteral("out")},  // Disconnected
    };
    for (const auto &c : cases) {
        Model().SelectConnection(c.connection);
        Click(ControlId::CvtcFileBrowse);
        ASSERT_FALSE(fileDialogs.requests.isEmpty());
        EXPECT_EQ(fileDialogs.requests.last().initialName, c.pattern) << c.connection;
        EXPECT_EQ(fileDialogs.requests.last().defaultSuffix, c.suffix) << c.connection;
    }
}

TEST_F(MainForm, ProgrammingShowsProgressAndTheFinishedMark)
{
    OpenReadyDocument(WriteDocument());
    auto *bar = Widget<QProgressBar>(ControlId::ProgressBar);
    bool barShown = false;
    bool programPicture = false;
    bool erasePicture = false;
    int highest = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
        barShown = barShown || bar->isVisible();
        programPicture = programPicture || View().Control(ControlId::ProgramIcon)->isVisible();
        erasePicture = erasePicture || View().Control(ControlId::EraseIcon)->isVisible();
        highest = std::max(highest, value);
    });
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([this] { return Model().Facts().idle && View().Control(ControlId::Step3DoneIcon)->isVisible(); }));
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(programPicture);
    EXPECT_FALSE(erasePicture);
    EXPECT_FALSE(View().Control(ControlId::ProgramIcon)->isVisible());
    EXPECT_EQ(highest, 100);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(View().Control(ControlId::AbortButton)->isVisible());
    EXPECT_TRUE(frame->MessagePane()->text().startsWith(QStringLiteral("Corvane of 8192 bytes is complete. Time: ")))
        << frame->MessagePane()->text().toStdString();
    EXPECT_TRUE(prompter->logsShown.isEmpty()) << prompter->logsShown.join(u'|').toStdString();

    CFlashMemoryDlg *view = OpenFlashView();
    ASSERT_NE(view, nullptr);
    // "Corvane " opens the example image.
    EXPECT_EQ(view->Grid()->item(0, 0)->text(), QStringLiteral("43"));
    EXPECT_EQ(view->Grid()->item(0, 7)->text(), QStringLiteral("20"));
}

TEST_F(MainForm, AbortStopsProgrammingAndDownloadsTheComponentAgain)
{
    OpenReadyDocument(WriteDocument([this](CCorvaneDoc &doc) {
        doc.m_strCvtcFile = WriteComponent({QStringLiteral("buffer = 256")});
    }));
    QWidget *mark = View().Control(ControlId::Step3DoneIcon);
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([&] { return Model().Facts().idle && mark->isVisible(); }));
    const int writes = CommandCount(QStringLiteral("WriteFlash"));
    // Abort as soon as the button shows; the earlier run's mark is gone by then.
    bool markWhileRunning = true;
    QObject::connect(&Model().Controls(), &CFormControls::Changed, frame.get(), [&](int id) {
        if (id == ControlId::AbortButton && Model().Controls().IsVisible(id)) {
            markWhileRunning = mark->isVisible();
            Widget<QPushButton>(ControlId::AbortButton)->click();
        }
    });
    const int handshakes = CommandCount(QStringLiteral("GetProtocolId"));
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([&] { return CommandCount(QStringLiteral("GetProtocolId")) > handshakes; }));
    ASSERT_TRUE(WaitReady());
    ProcessPendingEvents();
    EXPECT_FALSE(markWhileRunning);
    EXPECT_FALSE(mark->isVisible());
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Canceled."));
    EXPECT_FALSE(View().Control(ControlId::ProgressBar)->isVisible());
    EXPECT_FALSE(View().Control(ControlId::AbortButton)->isVisible());
    EXPECT_LT(CommandCount(QStringLiteral("WriteFlash")) - writes, 8192 / 256);
}

TEST_F(MainForm, AFailedRunOrADisconnectClearsTheFinishedMark)
{
    OpenReadyDocument(WriteDocument());
    QWidget *mark = View().Control(ControlId::Step3DoneIcon);
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([&] { return Model().Facts().idle && mark->isVisible(); }));
    // A component that drops a write fails the verification of the next run.
    Type(Widget<QLineEdit>(ControlId::CvtcFileEdit), WriteComponent({QStringLiteral("fault.drop_write = 1")}));
    Click(ControlId::DownloadButton);
    ASSERT_TRUE(WaitReady());
    EXPECT_TRUE(mark->isVisible()) << "a new download keeps the mark of the flash's last programming";
    Click(ControlId::EraseButton);
    ASSERT_TRUE(WaitReady());
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([this] { return !prompter->logsShown.isEmpty() && Model().Facts().idle; }));
    EXPECT_FALSE(mark->isVisible());
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Programming failed."));

    Type(Widget<QLineEdit>(ControlId::CvtcFileEdit), WriteComponent());
    Click(ControlId::DownloadButton);
    ASSERT_TRUE(WaitReady());
    Click(ControlId::EraseButton);
    ASSERT_TRUE(WaitReady());
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([&] { return Model().Facts().idle && mark->isVisible(); }));
    Click(ControlId::ConnectButton);
    EXPECT_FALSE(mark->isVisible());
}

TEST_F(MainForm, ClosingWhileProgrammingAsksThenAbortsInOrderAndCloses)
{
    const QString path = WriteDocument([this](CCorvaneDoc &doc) {
        doc.m_strCvtcFile = WriteComponent({QStringLiteral("buffer = 256")});
    });
    const struct {
        const char *way;
        std::function<void()> close;
        bool quits;
    } ways[] = {
        {"File Close", [this] { frame->OnCommand(MenuCommand::FileClose); }, false},
        {"the window's close button", [this] { frame->close(); }, true},
        {"Exit", [this] { frame->OnCommand(MenuCommand::AppExit); }, true},
    };
    const QString question = QStringLiteral("An operation is running. Abort it and close?");
    for (const auto &way : ways) {
        SCOPED_TRACE(way.way);
        frame->show();
        OpenReadyDocument(path);
        bool closed = false;
        QObject context;
        QObject::connect(frame.get(), &CMainFrame::Closed, &context, [&closed] { closed = true; });
        // Closing as soon as the Abort button shows: No goes on programming, Yes aborts, then closes.
        bool stillOpenAfterNo = false;
        bool stillOpenAfterYes = false;
        QObject::connect(&Model().Controls(), &CFormControls::Changed, &context, [&](int id) {
            if (id != ControlId::AbortButton || !Model().Controls().IsVisible(id) || !prompter->questions.isEmpty())
                return;
            prompter->answers = {false, true};
            way.close();
            stillOpenAfterNo = frame->Document() && !Model().Session().IsIdle();
            way.close();
            stillOpenAfterYes = frame->Document() != nullptr;
        });
        Click(ControlId::ProgramButton);
        ASSERT_TRUE(WaitUntil([&] { return frame->Document() == nullptr; }));
        EXPECT_EQ(prompter->questions, QStringList(2, question));
        EXPECT_TRUE(stillOpenAfterNo);
        EXPECT_TRUE(stillOpenAfterYes) << "the operation ends before the document closes";
        EXPECT_LT(CommandCount(QStringLiteral("WriteFlash")), 8192 / 256);
        EXPECT_NE(frame->MessagePane()->text(), QStringLiteral("Programming Flash Memory"));
        ProcessPendingEvents();
        EXPECT_EQ(closed, way.quits);
        EXPECT_EQ(frame->isVisible(), !way.quits);
        prompter->questions.clear();
    }
}

TEST_F(MainForm, EraseShowsItsPictureAndLeavesTheFlashErased)
{
    OpenReadyDocument(WriteDocument());
    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitReady());
    bool pictureShown = false;
    QObject::connect(&Model().Controls(), &CFormControls::Changed, frame.get(), [&](int id) {
        pictureShown = pictureShown || (id == ControlId::EraseIcon && View().Control(id)->isVisible());
    });
    auto *erase = Widget<QPushButton>(ControlId::EraseButton);
    erase->setFocus();
    Click(ControlId::EraseButton);
    EXPECT_FALSE(erase->isEnabled());
    EXPECT_FALSE(Widget<QPushButton>(ControlId::Help)->hasFocus()) << "Space would open help";
    ASSERT_TRUE(WaitReady());
    EXPECT_TRUE(erase->hasFocus()) << "the focus comes back to the button pressed";
    EXPECT_TRUE(pictureShown);
    EXPECT_FALSE(View().Control(ControlId::EraseIcon)->isVisible());
    EXPECT_FALSE(View().Control(ControlId::Step3DoneIcon)->isVisible());
    CFlashMemoryDlg *view = OpenFlashView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Grid()->item(0, 0)->text(), QStringLiteral("FF"));
    EXPECT_EQ(view->Grid()->item(15, 15)->text(), QStringLiteral("FF"));
}

// View Flash has no Abort: a target that never answers ends it at the user's
// answer time-out (30 s unless set), and Disconnect stays usable meanwhile.
TEST_F(MainForm, AnOperationWithoutAnswerEndsAtTheTimeOutAndNeverLocksTheForm)
{
    OpenReadyDocument(
        WriteDocument([this](CCorvaneDoc &doc) { doc.m_strCvtcFile = WriteComponent({QStringLiteral("fault.no_answer = 15")}); }));
    Click(ControlId::ViewFlashButton);
    EXPECT_FALSE(Model().Facts().idle);
    EXPECT_TRUE(Widget<QPushButton>(ControlId::ConnectButton)->isEnabled()) << "Disconnect while the form waits";
    ASSERT_TRUE(WaitReady());
    EXPECT_TRUE(prompter->logsShown.join(u'|').contains(QStringLiteral("Target did not answer within 30 seconds.")))
        << prompter->logsShown.join(u'|').toStdString();
    EXPECT_TRUE(Widget<QPushButton>(ControlId::ViewFlashButton)->isEnabled());
}

TEST_F(MainForm, CloseOffersToSaveAndSwitchesToTheMenusWithoutDocument)
{
    OpenReadyDocument(WriteDocument());
    Type(Widget<QLineEdit>(ControlId::HexCmdEdit), QStringLiteral("convert.cmd"));
    {
        // Escape goes back to the document, from Close and from the window's close button alike.
        std::unique_ptr<CPrompter> recording = InstallPrompter(std::make_unique<CMessageBoxPrompter>());
        QStringList buttons;
        int escaped = 0;
        const auto pressEscape = [&](QDialog &box) {
            buttons.clear();
            for (const QAbstractButton *button : box.findChildren<QAbstractButton *>())
                buttons.append(button->text().remove(u'&'));
            QTest::keyClick(&box, Qt::Key_Escape);
            ++escaped;
        };
        WhenModalOpens(pressEscape);
        Click(ControlId::Close);
        ASSERT_TRUE(WaitUntil([&] { return escaped == 1; }));
        ProcessPendingEvents();
        WhenModalOpens(pressEscape);
        EXPECT_FALSE(frame->close());
        EXPECT_EQ(escaped, 2);
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList {QStringLiteral("Cancel"), QStringLiteral("No"), QStringLiteral("Yes")}));
        EXPECT_NE(frame->Document(), nullptr);
        EXPECT_TRUE(frame->isVisible());
        InstallPrompter(std::move(recording));
    }
    prompter->choices = {CPrompter::Answer::No};
    Click(ControlId::Close);
    ASSERT_TRUE(WaitUntil([this] { return frame->Document() == nullptr; }));
    EXPECT_EQ(prompter->questions, QStringList {QStringLiteral("Save changes to board.cdd?")});
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvane"));
    EXPECT_EQ(MenuTitles(frame->menuBar()),
              (QStringList {QStringLiteral("&File"), QStringLiteral("&View"), QStringLiteral("&Help")}));
}

TEST_F(MainForm, MenusAndToolbarFollowTheDocument)
{
    QMenuBar *bar = frame->menuBar();
    EXPECT_EQ(MenuTexts(MenuOf(bar, QStringLiteral("&File"))),
              (QStringList {QStringLiteral("&New"), QStringLiteral("&Open..."), QStringLiteral("-"),
                            QStringLiteral("P&rint Setup..."), QStringLiteral("-"), QStringLiteral("Recent File"),
                            QStringLiteral("-"), QStringLiteral("E&xit")}));
    EXPECT_EQ(MenuTexts(MenuOf(bar, QStringLiteral("&Help"))),
              (QStringList {QStringLiteral("&Help Topics"), QStringLiteral("-"), QStringLiteral("&About Corvane...")}));

    OpenReadyDocument(WriteDocument());
    EXPECT_EQ(MenuTitles(bar), (QStringList {QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                                             QStringLiteral("&Program"), QStringLiteral("&Help")}));
    EXPECT_EQ(MenuTexts(MenuOf(bar, QStringLiteral("&File"))).mid(0, 10),
              (QStringList {QStringLiteral("&New"), QStringLiteral("&Open..."), QStringLiteral("&Close"),
                            QStringLiteral("&Save"), QStringLiteral("Save &As..."), QStringLiteral("-"),
                            QStringLiteral("&Print..."), QStringLiteral("Print Pre&view.."),
                            QStringLiteral("P&rint Setup..."), QStringLiteral("-")}));
    EXPECT_EQ(MenuTexts(MenuOf(bar, QStringLiteral("&Edit"))),
              (QStringList {QStringLiteral("&Undo"), QStringLiteral("-"), QStringLiteral("Cu&t"), QStringLiteral("&Copy"),
                            QStringLiteral("&Paste")}));
    EXPECT_EQ(MenuTexts(MenuOf(bar, QStringLiteral("&Program"))),
              (QStringList {QStringLiteral("&Download CVTC"), QStringLiteral("-"), QStringLiteral("&Program Flash"),
                            QStringLiteral("&View Flash..."), QStringLiteral("-"), QStringLiteral("&Erase Flash")}));
    EXPECT_EQ(MenuTexts(MenuOf(bar, QStringLiteral("&File"))).value(10), QStringLiteral("&1 board.cdd"));
    // The document keeps New, Open and the recent files from opening another one.
    frame->UpdateCommandUI();
    EXPECT_FALSE(frame->Action(MenuCommand::FileNew)->isEnabled());
    EXPECT_FALSE(frame->Action(MenuCommand::FileOpen)->isEnabled());
    EXPECT_TRUE(frame->Action(MenuCommand::FileSave)->isEnabled());

    QStringList toolBar;
    for (const QAction *action : frame->findChild<QToolBar *>()->actions())
        toolBar.append(action->isSeparator() ? QStringLiteral("-") : action->toolTip());
    EXPECT_EQ(toolBar, (QStringList {QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("Save"),
                                     QStringLiteral("-"), QStringLiteral("Cut"), QStringLiteral("Copy"),
                                     QStringLiteral("Paste"), QStringLiteral("-"), QStringLiteral("Erase Entire Flash"),
                                     QStringLiteral("Start Programming"), QStringLiteral("Show Flash Memory"),
                                     QStringLiteral("-"), QStringLiteral("Show/Hide CCS")}));
    EXPECT_EQ(frame->Action(CommandId::EraseFlash)->statusTip(),
              QStringLiteral("Erase Entire Target System's Flash Memory"));
    EXPECT_EQ(frame->Action(CommandId::DownloadCvtc)->statusTip(),
              QStringLiteral("Download the CVTC Program to the Target DSP Memory"));
}

TEST_F(MainForm, ShowCodeComposerShowsTheSimulatorWindowWithTheMessagesExchanged)
{
    OpenReadyDocument(WriteDocument());
    frame->UpdateCommandUI();
    QAction *show = frame->Action(CommandId::ShowCodeComposer);
    EXPECT_TRUE(show->isEnabled());
    EXPECT_EQ(show->text(), QStringLiteral("&Show Code Composer"));
    show->trigger();
    CSimulatorWindow *window = View().SimulatorWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(show->text(), QStringLiteral("&Hide Code Composer"));
    const QTreeWidget *exchanges = window->Exchanges();
    ASSERT_GE(exchanges->topLevelItemCount(), 1);
    EXPECT_EQ(exchanges->topLevelItem(0)->text(0), QStringLiteral("GetProtocolId"));
    EXPECT_EQ(exchanges->topLevelItem(0)->text(2), QStringLiteral("GetProtocolId 0x0004 0x0000 0x0000"));

    // New messages appear while the window is open.
    const int before = exchanges->topLevelItemCount();
    Click(ControlId::EraseButton);
    ASSERT_TRUE(WaitReady());
    EXPECT_GT(exchanges->topLevelItemCount(), before);

    show->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(show->text(), QStringLiteral("&Show Code Composer"));

    // Disconnecting lets go of the debugger, and its window goes with it.
    show->trigger();
    EXPECT_TRUE(window->isVisible());
    Click(ControlId::ConnectButton);
    EXPECT_FALSE(window->isVisible());
    frame->UpdateCommandUI();
    EXPECT_FALSE(show->isEnabled());
}

// A 64x of the fake CCS installation (tests/ccs) through CCS Scripting: the
// window programs it, and Show Code Composer lists the lines of the bridge.
TEST_F(MainForm, ThroughCcsTheFormProgramsAndShowCodeComposerListsTheBridgeLines)
{
    const QString setup = scratch.WriteFile(
        QStringLiteral("ccs-setup.ini"),
        "[board Fake CCS]\n[processor DSP]\nkind = ccs\nccs_root = " CORVANE_SOURCE_DIR "/tests/ccs/fake-ccs\n"
        "ccxml = board.ccxml\ncore = TMS320C6416\napi = scripting\npython = python3\n");
    scratch.WriteFile(QStringLiteral("board.ccxml"), "Spectrum Digital XDS510USB Emulator_0/TMS320C6416 64x\n");
    const QString program = scratch.WriteFile(QStringLiteral("cvtc64.out"),
                                              "# corvane fake ccs program\ntheMessage = 0x8000\ndoMessageProc = 0x3000\n"
                                              "flash_base = 0x90000000\nflash_size = 0x40000\n");
    QDir().mkpath(scratch.Path(QStringLiteral("ccs")));
    const ScopedEnvironment ccsSetup("CORVANE_SETUP", setup.toUtf8());
    const ScopedEnvironment state("CORVANE_FAKE_CCS_STATE", scratch.Path(QStringLiteral("ccs")).toUtf8());
    OpenReadyDocument(WriteDocument([&program](CCorvaneDoc &document) {
        document.m_strConnection = QStringLiteral("Fake CCS (DSP)");
        document.m_strCvtcFile = program;
    }));

    Click(ControlId::ProgramButton);
    ASSERT_TRUE(WaitUntil([this] { return Model().Facts().idle && View().Control(ControlId::Step3DoneIcon)->isVisible(); }))
        << prompter->logsShown.join(u'|').toStdString();
    EXPECT_TRUE(frame->MessagePane()->text().startsWith(QStringLiteral("Corvane of 8192 bytes is complete.")))
        << frame->MessagePane()->text().toStdString();
    QFile flash(scratch.Path(QStringLiteral("ccs/flash.bin")));
    ASSERT_TRUE(flash.open(QIODevice::ReadOnly));
    EXPECT_TRUE(flash.read(8) == "Corvane ");   // the example image's first bytes

    frame->UpdateCommandUI();
    frame->Action(CommandId::ShowCodeComposer)->trigger();
    const CExchangeWindow *window = View().ExchangeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(&window->Monitor(), &theCcsMonitor());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Code Composer Studio"));
    const int before = window->Exchanges()->topLevelItemCount();
    Click(ControlId::EraseButton);
    ASSERT_TRUE(WaitReady());
    const QTreeWidget *lines = window->Exchanges();
    ASSERT_GT(lines->topLevelItemCount(), before);
    const QTreeWidgetItem *last = lines->topLevelItem(lines->topLevelItemCount() - 1);
    EXPECT_EQ(last->text(0), QStringLiteral("<-"));
    EXPECT_TRUE(last->text(1).startsWith(QStringLiteral("{\"id\":"))) << last->text(1).toStdString();
    Click(ControlId::ConnectButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainForm, HelpButtonOpensTheFormsTopic)
{
    OpenReadyDocument(WriteDocument());
    Click(ControlId::Help);
    EXPECT_EQ(CHelpWindow::Instance().CurrentTopic(), QStringLiteral("CorvaneGUI.htm"));
    EXPECT_TRUE(CHelpWindow::Instance().isVisible());
    CHelpWindow::Instance().close();
}

// The GDB server's window lists the packets of the open connection while it
// is shown (nothing is recorded while it is not) and starts afresh with the next connection.
TEST(GdbWindow, ListsThePacketsOfTheOpenConnection)
{
    CExchangeWindow window(CExchangeWindow::Gdb(), theGdbMonitor());
    theGdbMonitor().OnConnected(QStringLiteral("127.0.0.1:1234"));
    theGdbMonitor().OnExchange(true, QStringLiteral("qSupported"));
    EXPECT_TRUE(theGdbMonitor().Records().isEmpty());
    window.show();
    theGdbMonitor().OnExchange(true, QStringLiteral("m10000,4"));
    theGdbMonitor().OnExchange(false, QStringLiteral("00000000"));
    const QTreeWidget *packets = window.Exchanges();
    ASSERT_EQ(packets->topLevelItemCount(), 2);
    EXPECT_EQ(packets->topLevelItem(0)->text(0), QStringLiteral("->"));
    EXPECT_EQ(packets->topLevelItem(0)->text(1), QStringLiteral("m10000,4"));
    EXPECT_EQ(packets->topLevelItem(1)->text(0), QStringLiteral("<-"));
    theGdbMonitor().OnClosed(QStringLiteral("127.0.0.1:1234"));
    EXPECT_EQ(packets->topLevelItemCount(), 0);
    window.hide();
    theGdbMonitor().OnConnected(QStringLiteral("127.0.0.1:1234"));
    theGdbMonitor().OnExchange(true, QStringLiteral("m10000,4"));
    EXPECT_TRUE(theGdbMonitor().Records().isEmpty());
}

} // namespace
