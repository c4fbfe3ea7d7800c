#include "UiTestSupport.h"

#include "app/CorvaneApp.h"
#include "base/ScopedStatusText.h"
#include "base/StatusText.h"
#include "config/CorvaneDoc.h"
#include "ui/AboutDlg.h"
#include "ui/ControlLookup.h"
#include "ui/FramePlacement.h"
#include "ui/HelpWindow.h"
#include "config/ControlIds.h"
#include "ui/RecentFileList.h"
#include "ui/WelcomeDlg.h"
#include "ui/DialogControlIds.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include <algorithm>

namespace {

namespace Id = DialogControlId;


TEST(FramePlacement, SavedPositionsPlaceTheFrameOrLeaveItToTheSystem)
{
    const QSize screen(1280, 1024);
    const struct {
        const char *saved;
        std::optional<QPoint> topLeft;
    } cases[] = {
        {"50, 60, 650, 510", QPoint(50, 60)},
        {"0, 0, 600, 450", QPoint(0, 0)},
        // beyond the screen: moved to the top left corner
        {"2000, 100, 2600, 700", QPoint(0, 0)},
        {"100, 900, 700, 1350", QPoint(0, 0)},
        // an empty rectangle: the system's placement
        {"100, 100, 100, 300", std::nullopt},
        {"100, 100, 700, 50", std::nullopt},
        // malformed: the values read so far count, the rest stay 0
        {"10, 20", std::nullopt},
        {"10, 20, wide, 400", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CFramePlacement::TopLeft(QLatin1String(c.saved), screen), c.topLeft) << c.saved;
    EXPECT_EQ(CFramePlacement::Format(QRect(10, 20, 550, 550)), QStringLiteral("10, 20, 560, 570"));
}

using Frames = GuiTest;

TEST_F(Frames, TheFrameStartsAtItsSavedPositionAndSavesEveryMove)
{
    frame.reset();
    QSettings().setValue(QStringLiteral("Main Window/Position"), QStringLiteral("30, 40, 200, 200"));
    frame = std::make_unique<CMainFrame>();
    EXPECT_EQ(frame->pos(), QPoint(30, 40));
    EXPECT_EQ(frame->size(), QSize(550, 550));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvane"));
    frame->show();
    // Moves count once the window system shows the window.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    frame->move(70, 80);
    ProcessPendingEvents();
    EXPECT_TRUE(QSettings().value(QStringLiteral("Main Window/Position")).toString().startsWith(QStringLiteral("70, 80, ")));
}

TEST_F(Frames, TheFrameGrowsToHoldTheFormWhereItStands)
{
    // Far enough left that the grown frame fits on the 800-pixel test screen.
    frame->move(20, 80);
    ProcessPendingEvents();
    const QRect before = frame->frameGeometry();
    OpenReadyDocument(WriteDocument());
    EXPECT_GE(frame->width(), View().RequiredSize().width() + 20);
    EXPECT_EQ(View().visibleRegion().boundingRect().size(), View().size());
    Click(ControlId::ConnectButton);
    ProcessPendingEvents();
    EXPECT_EQ(frame->frameGeometry().topLeft(), before.topLeft());

    // The saved frame rectangle places the next window's frame exactly there.
    const QString saved = QSettings().value(QStringLiteral("Main Window/Position")).toString();
    EXPECT_EQ(saved, CFramePlacement::Format(frame->frameGeometry()));
    frame->Document()->SetModifiedFlag(false);
    frame.reset();
    frame = std::make_unique<CMainFrame>();
    frame->show();
    ProcessPendingEvents();
    EXPECT_EQ(frame->frameGeometry().topLeft(), before.topLeft());
}

TEST_F(Frames, AFrameGrownPastTheScreensEdgeMovesBackOntoIt)
{
    frame->move(300, 400);
    ProcessPendingEvents();
    OpenReadyDocument(WriteDocument());
    ProcessPendingEvents();
    EXPECT_TRUE(frame->screen()->availableGeometry().contains(frame->frameGeometry()));
}

TEST(RecentFileList, KeepsTheFourNewestDocumentsNewestFirst)
{
    QSettings().remove(QStringLiteral("Recent File List"));
    {
        CRecentFileList recent;
        for (const char *path : {"/a/1.cdd", "/a/2.cdd", "/a/3.cdd", "/a/4.cdd", "/a/5.cdd", "/a/3.cdd"})
            recent.Add(QLatin1String(path));
    }
    const CRecentFileList reloaded;
    EXPECT_EQ(reloaded.Paths(), (QStringList {QStringLiteral("/a/3.cdd"), QStringLiteral("/a/5.cdd"),
                                             QStringLiteral("/a/4.cdd"), QStringLiteral("/a/2.cdd")}));
    EXPECT_EQ(reloaded.DisplayName(0, QStringLiteral("/a")), QStringLiteral("3.cdd"));
    EXPECT_EQ(reloaded.DisplayName(0, QStringLiteral("/b")), QStringLiteral("/a/3.cdd"));
    EXPECT_EQ(CRecentFileList::Abbreviate(QStringLiteral("/home/user/projects/boards/dsp/board64x.cdd"), 30),
              QStringLiteral("/.../boards/dsp/board64x.cdd"));
    EXPECT_EQ(CRecentFileList::Abbreviate(QStringLiteral("/a/a-configuration-name-longer-than-thirty.cdd"), 30),
              QStringLiteral("a-configuration-name-longer-than-thirty.cdd"));
    QSettings().remove(QStringLiteral("Recent File List"));
}

// The start-up dialog's choice, the command it posted, and the list's selection when it opened.
struct WelcomeRun {
    QList<int> posted;
    int selectedRow = -2;
    QStringList shown;
    bool recentEnabled = false;
    bool recentChecked = false;
    bool existingChecked = false;
};

WelcomeRun RunWelcome(const QStringList &paths, const std::function<void(QDialog &)> &choose)
{
    WelcomeRun run;
    CWelcomeDlg dialog(paths, [&run](int command) { run.posted.append(command); }, nullptr);
    auto *list = qobject_cast<QListWidget *>(FindControl(dialog, Id::RecentList));
    run.selectedRow = list->currentRow();
    for (int row = 0; row < list->count(); ++row)
        run.shown.append(list->item(row)->text());
    run.recentEnabled = FindControl(dialog, Id::RecentChoice)->isEnabled();
    run.recentChecked = qobject_cast<QRadioButton *>(FindControl(dialog, Id::RecentChoice))->isChecked();
    run.existingChecked = qobject_cast<QRadioButton *>(FindControl(dialog, Id::ExistingChoice))->isChecked();
    WhenModalOpens(choose);
    dialog.exec();
    return run;
}

void Press(QDialog &dialog, int id)
{
    if (auto *button = qobject_cast<QAbstractButton *>(FindControl(dialog, id)))
        button->click();
}

TEST(WelcomeDialog, OffersTheRecentDocumentsFirstWithTheirFolders)
{
    const QStringList names {QStringLiteral("/boards/a.cdd"), QStringLiteral("/boards/old/b.cdd")};
    WelcomeRun run = RunWelcome(names, [](QDialog &dialog) { Press(dialog, Id::Ok); });
    EXPECT_EQ(run.shown, (QStringList {QStringLiteral("a.cdd  (/boards)"), QStringLiteral("b.cdd  (/boards/old)")}));
    EXPECT_TRUE(run.recentEnabled);
    EXPECT_TRUE(run.recentChecked);
    EXPECT_EQ(run.selectedRow, 0);
    EXPECT_EQ(run.posted, QList<int> {MenuCommand::FileMruFirst});

    run = RunWelcome(names, [](QDialog &dialog) {
        qobject_cast<QListWidget *>(FindControl(dialog, Id::RecentList))->setCurrentRow(1);
        Press(dialog, Id::Ok);
    });
    EXPECT_EQ(run.posted, QList<int> {MenuCommand::FileMruFirst + 1});

    // A double-click opens that document, whatever was chosen before.
    run = RunWelcome(names, [](QDialog &dialog) {
        Press(dialog, Id::NewChoice);
        auto *list = qobject_cast<QListWidget *>(FindControl(dialog, Id::RecentList));
        emit list->itemDoubleClicked(list->item(1));
    });
    EXPECT_EQ(run.posted, QList<int> {MenuCommand::FileMruFirst + 1});
}

TEST(WelcomeDialog, OtherChoicesClearTheListAndPostOpenOrNew)
{
    const QStringList names {QStringLiteral("a.cdd")};
    int rowAfterChoice = -2;
    int rowAfterRecent = -2;
    WelcomeRun run = RunWelcome(names, [&](QDialog &dialog) {
        auto *list = qobject_cast<QListWidget *>(FindControl(dialog, Id::RecentList));
        Press(dialog, Id::ExistingChoice);
        rowAfterChoice = list->currentRow();
        Press(dialog, Id::RecentChoice);
        rowAfterRecent = list->currentRow();
        Press(dialog, Id::ExistingChoice);
        Press(dialog, Id::Ok);
    });
    EXPECT_EQ(rowAfterChoice, -1);
    EXPECT_EQ(rowAfterRecent, 0);
    EXPECT_EQ(run.posted, QList<int> {MenuCommand::FileOpen});

    run = RunWelcome(names, [](QDialog &dialog) {
        Press(dialog, Id::NewChoice);
        Press(dialog, Id::Ok);
    });
    EXPECT_EQ(run.posted, QList<int> {MenuCommand::FileNew});
}

TEST(WelcomeDialog, WithoutRecentDocumentsOpeningAnExistingOneIsPreselected)
{
    const WelcomeRun run = RunWelcome({}, [](QDialog &dialog) { Press(dialog, Id::Cancel); });
    EXPECT_FALSE(run.recentEnabled);
    EXPECT_TRUE(run.existingChecked);
    EXPECT_FALSE(run.recentChecked);
    EXPECT_TRUE(run.posted.isEmpty());
}

TEST_F(Frames, TheStartUpDialogsRecentChoiceOpensThatDocument)
{
    const QString path = WriteDocument();
    frame->RecentFiles().Add(path);
    CWelcomeDlg dialog(frame->RecentFiles().Paths(), [this](int command) { frame->PostCommand(command); }, frame.get());
    WhenModalOpens([](QDialog &welcome) { Press(welcome, Id::Ok); });
    dialog.exec();
    ASSERT_TRUE(WaitReady());
    EXPECT_EQ(frame->Document()->GetPathName(), path);
}

TEST_F(Frames, AFailingRecentDocumentLeavesTheList)
{
    frame->RecentFiles().Add(scratch.Path(QStringLiteral("gone.cdd")));
    frame->OnCommand(MenuCommand::FileMruFirst);
    EXPECT_EQ(frame->Document(), nullptr);
    EXPECT_TRUE(frame->RecentFiles().Paths().isEmpty());
    EXPECT_EQ(prompter->messages.size(), 1);
}

TEST_F(Frames, SaveAsAsksForAPathAndRenamesTheWindow)
{
    OpenReadyDocument(WriteDocument([](CCorvaneDoc &doc) { doc.m_strBurnFile = QStringLiteral("app.hex"); }));
    ASSERT_TRUE(QDir().mkpath(scratch.Path(QStringLiteral("sub"))));
    const QString path = scratch.Path(QStringLiteral("sub/renamed.cdd"));
    fileDialogs.answers = {path};
    frame->OnCommand(MenuCommand::FileSaveAs);
    EXPECT_EQ(fileDialogs.requests.value(0).filter, QStringLiteral("Configs (*.cdd)|*.cdd|All Files (*.*)|*.*||"));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvane - renamed.cdd"));
    EXPECT_EQ(frame->RecentFiles().Paths().value(0), path);
    // The image is still the one beside the first document.
    EXPECT_EQ(Model().Controls().Text(ControlId::BurnFileEdit), QStringLiteral("../app.hex"));
    EXPECT_FALSE(frame->Document()->IsModified());
}

TEST(AboutBox, ShowsTheProgramAndProtocolVersions)
{
    CAboutDlg about;
    QStringList texts;
    for (const QLabel *label : about.findChildren<QLabel *>())
        texts.append(label->text());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Corvane"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Corvane  Version:")));
    EXPECT_TRUE(texts.contains(CCorvaneApp::GetFileVersionString()));
    EXPECT_TRUE(texts.contains(QStringLiteral("CVTC Communications Protocol Version: ")));
    EXPECT_TRUE(texts.contains(QStringLiteral("4")));
}

TEST(Help, EveryTopicAndEveryLinkBetweenTopicsExists)
{
    const QStringList topics {QStringLiteral("Contents.htm"),   QStringLiteral("Welcome.htm"),
                              QStringLiteral("CorvaneGUI.htm"), QStringLiteral("MemoryDialog.htm"),
                              QStringLiteral("EditMemory.htm"), QStringLiteral("MemoryOffset.htm")};
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)\""));
    for (const QString &topic : topics) {
        EXPECT_TRUE(ShowHelp(topic)) << topic.toStdString();
        EXPECT_EQ(CHelpWindow::Instance().CurrentTopic(), topic);
        QFile file(QStringLiteral(":/help/") + topic);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (auto match = link.globalMatch(html); match.hasNext();)
            EXPECT_TRUE(topics.contains(match.next().captured(1))) << topic.toStdString();
    }
    EXPECT_FALSE(ShowHelp(QStringLiteral("Missing.htm")));
    CHelpWindow::Instance().close();
}

TEST_F(Frames, HelpKeysOpenTheirTopicsAndEscapeOrCtrlWCloseIt)
{
    frame->Action(MenuCommand::Help)->trigger();
    EXPECT_EQ(CHelpWindow::Instance().CurrentTopic(), QStringLiteral("Welcome.htm"));
    frame->Action(MenuCommand::HelpFinder)->trigger();
    EXPECT_EQ(CHelpWindow::Instance().CurrentTopic(), QStringLiteral("Contents.htm"));
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        ShowHelpContents();
        QPointer<CHelpWindow> help = &CHelpWindow::Instance();
        ASSERT_TRUE(QTest::qWaitForWindowActive(help.data()));
        QTest::keySequence(help.data(), keys);
        ProcessPendingEvents();
        EXPECT_TRUE(help.isNull() || !help->isVisible()) << keys.toString().toStdString();
    }
}

TEST_F(Frames, StatusTextsShowInTheMessagePaneOnOneLine)
{
    {
        const CScopedStatusText scoped(QStringLiteral("Loading the CVTC program"));
        EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Loading the CVTC program"));
    }
    EXPECT_TRUE(frame->MessagePane()->text().isEmpty());
    const QString done = QStringLiteral("Corvane of 4 bytes is complete.\r\nTime: 1 mSec.\r\n");
    theStatusText().SetStatusText(done);
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Corvane of 4 bytes is complete. Time: 1 mSec."));
    EXPECT_EQ(theStatusText().StatusText(), done);
}

// A text that fits the status bar but not beside CAP, NUM and SCRL is shown whole: the indicators give way.
TEST_F(Frames, ALongStatusTextIsNeverCutUnderTheIndicators)
{
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QLabel *pane = frame->MessagePane();
    const QList<QLabel *> indicators = frame->statusBar()->findChildren<QLabel *>();
    QString text = QStringLiteral("Corvane of 1048576 bytes is complete. Time: 123456 mSec.");
    while (pane->fontMetrics().horizontalAdvance(text) < frame->statusBar()->width() * 4 / 5)
        text.prepend(u'x');
    for (const QString &shown : {text, QStringLiteral("Ready")}) {
        theStatusText().SetStatusText(shown);
        ProcessPendingEvents();
        EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(shown)) << shown.toStdString();
        for (const QLabel *indicator : indicators) {
            if (indicator != pane && indicator->isVisible()) {
                EXPECT_FALSE(indicator->geometry().intersects(pane->geometry())) << indicator->text().toStdString();
            }
        }
    }
    EXPECT_TRUE(std::any_of(indicators.begin(), indicators.end(),
                            [](const QLabel *label) { return label->text() == QLatin1String("NUM") && label->isVisible(); }))
        << "a short text leaves the indicators shown";
}

} // namespace
