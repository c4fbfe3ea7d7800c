#include "MainFrame.h"

#include "AboutDlg.h"
#include "ChildFrame.h"
#include "ConfigSummary.h"
#include "CorvaneView.h"
#include "FileDialogs.h"
#include "FramePlacement.h"
#include "HelpWindow.h"
#include "StatusBarText.h"
#include "app/CorvaneApp.h"
#include "base/Prompter.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>

#include <algorithm>
#include <memory>

namespace {

// A command of the menus: its text, its status-bar prompt and tool tip
// ("prompt\ntip"), its keys and its toolbar picture.
struct CommandEntry {
    int id;
    const char *text;
    const char *prompt;
    QKeySequence::StandardKey keys;
    const char *icon;
};

const CommandEntry kCommands[] = {
    {MenuCommand::FileNew, "&New", "Create a new document\nNew", QKeySequence::New, ":/icons/new.svg"},
    {MenuCommand::FileOpen, "&Open...", "Open an existing document\nOpen", QKeySequence::Open, ":/icons/open.svg"},
    {MenuCommand::FileClose, "&Close", "Close the active document\nClose", QKeySequence::UnknownKey, nullptr},
    {MenuCommand::FileSave, "&Save", "Save the active document\nSave", QKeySequence::Save, ":/icons/save.svg"},
    {MenuCommand::FileSaveAs, "Save &As...", "Save the active document with a new name\nSave As",
     QKeySequence::UnknownKey, nullptr},
    {MenuCommand::FilePrint, "&Print...", "Print the active document\nPrint", QKeySequence::Print, nullptr},
    {MenuCommand::FilePrintPreview, "Print Pre&view..", "Display full pages\nPrint Preview", QKeySequence::UnknownKey,
     nullptr},
    {MenuCommand::FilePrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup",
     QKeySequence::UnknownKey, nullptr},
    {MenuCommand::AppExit, "E&xit", "Quit the application; prompts to save documents\nExit", QKeySequence::UnknownKey,
     nullptr},
    {MenuCommand::EditUndo, "&Undo", "Undo the last action\nUndo", QKeySequence::Undo, nullptr},
    {MenuCommand::EditCut, "Cu&t", "Cut the selection and put it on the Clipboard\nCut", QKeySequence::Cut,
     ":/icons/cut.svg"},
    {MenuCommand::EditCopy, "&Copy", "Copy the selection and put it on the Clipboard\nCopy", QKeySequence::Copy,
     ":/icons/copy.svg"},
    {MenuCommand::EditPaste, "&Paste", "Insert Clipboard contents\nPaste", QKeySequence::Paste, ":/icons/paste.svg"},
    {MenuCommand::ViewStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
     QKeySequence::UnknownKey, nullptr},
    {CommandId::ShowCodeComposer, "Show Code Composer", "Show/Hide the Code Composer IDE\nShow/Hide CCS",
     QKeySequence::UnknownKey, ":/icons/debugger.svg"},
    {CommandId::DownloadCvtc, "&Download CVTC", "Download the CVTC Program to the Target DSP Memory",
     QKeySequence::UnknownKey, nullptr},
    {CommandId::ProgramFlash, "&Program Flash", "Begin Programming the Target System's Flash Memory\nStart Programming",
     QKeySequence::UnknownKey, ":/icons/program.svg"},
    {CommandId::ViewFlash, "&View Flash...",
     "Display the Contents of the Target System's Flash Memory\nShow Flash Memory", QKeySequence::UnknownKey,
     ":/icons/view.svg"},
    {CommandId::EraseFlash, "&Erase Flash", "Erase Entire Target System's Flash Memory\nErase Entire Flash",
     QKeySequence::UnknownKey, ":/icons/erase.svg"},
    {MenuCommand::HelpFinder, "&Help Topics", "List Help topics\nHelp Topics", QKeySequence::UnknownKey, nullptr},
    {MenuCommand::AppAbout, "&About Corvane...", "Display program information, version number and copyright\nAbout",
     QKeySequence::UnknownKey, nullptr},
    {MenuCommand::Help, "Help", "Display help for current task or command\nHelp", QKeySequence::HelpContents, nullptr},
    {MenuCommand::ContextHelp, "Help", "Display help for clicked on buttons, menus and windows\nHelp",
     QKeySequence::WhatsThis, nullptr},
};

// The toolbar's buttons in order; 0 is a separator.
constexpr int kToolBar[] = {MenuCommand::FileNew,   MenuCommand::FileOpen,  MenuCommand::FileSave, 0,
                            MenuCommand::EditCut,   MenuCommand::EditCopy,  MenuCommand::EditPaste, 0,
                            CommandId::EraseFlash,  CommandId::ProgramFlash, CommandId::ViewFlash, 0,
                            CommandId::ShowCodeComposer};

const char kDocumentFilter[] = "Configs (*.cdd)|*.cdd|All Files (*.*)|*.*||";

} // namespace

CMainFrame::CMainFrame(FormTimerPeriods periods)
    : m_periods(periods)
{
    setObjectName(QStringLiteral("CVMainWnd"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));
    CreateActions();
    BuildStatusBar();
    BuildToolBar();
    BuildMenus();
    ReplaceClient(nullptr);
    UpdateTitle();
    UpdateCommandUI();
    Place();
    m_previousStatusText = InstallStatusText(std::make_unique<CStatusBarText>(m_messagePane, m_indicators));
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommandUI);
}

CMainFrame::~CMainFrame()
{
    SavePlacement();
    if (m_doc)
        DestroyDocument();
    InstallStatusText(std::move(m_previousStatusText));
}

// No sizing border and no maximise box; the saved position when it is usable.
void CMainFrame::Place()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(CFramePlacement::kFrameWidth, CFramePlacement::kFrameHeight);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize fullScreen = screen ? screen->availableGeometry().size() : QSize();
    m_askedFramePosition = CFramePlacement::TopLeft(CFramePlacement::Load(), fullScreen);
    if (m_askedFramePosition)
        move(*m_askedFramePosition);
}

void CMainFrame::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    SettleFramePosition();
    SavePlacement();
}

void CMainFrame::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    SavePlacement();
}

// Until the window is exposed, the window system is still placing and framing
// it: the client area may already sit inside the frame while the frame's edges
// are not yet known, or the other way round. The position asked for stands
// until the window system has put the frame there.
QRect CMainFrame::FrameRect() const
{
    const QWindow *window = windowHandle();
    const QRect known = window && window->isExposed() ? ShownFrameRect() : frameGeometry();
    return m_askedFramePosition ? QRect(*m_askedFramePosition, known.size()) : known;
}

// The client area's place on the screen, asked of the window system, with the frame's edges around it.
QRect CMainFrame::ShownFrameRect() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size()).marginsAdded(windowHandle()->frameMargins());
}

// Depending on when it handles the requests of a window it has not yet
// framed, the window system may put the client area where the frame was asked
// to go: once the window is exposed, the frame is asked there again. The
// position asked for holds until the frame is there or has moved elsewhere
// than where it was then (the answer, or the user's move); a move that still
// shows the old place came before the answer.
void CMainFrame::SettleFramePosition()
{
    QWindow *window = windowHandle();
    if (!m_askedFramePosition || !window || !window->isExposed())
        return;
    const QPoint shown = ShownFrameRect().topLeft();
    if (shown == *m_askedFramePosition || (m_misplacedFramePosition && shown != *m_misplacedFramePosition)) {
        m_askedFramePosition.reset();
        m_misplacedFramePosition.reset();
    } else if (!m_misplacedFramePosition) {
        window->setFramePosition(*m_askedFramePosition);
        m_misplacedFramePosition = shown;
    }
}

void CMainFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    windowHandle()->installEventFilter(this);
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose)
        SettleFramePosition();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::SavePlacement()
{
    if (const QWindow *window = windowHandle(); window && window->isExposed())
        CFramePlacement::Save(FrameRect());
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (!CloseDocument(MenuCommand::AppExit)) {
        event->ignore();
        return;
    }
    SavePlacement();
    event->accept();
    emit Closed();
}

// The client area counts without the menu bar, as on the platform this layout
// comes from; its margin of 60 pixels holds the toolbar and the status bar,
// and grows where they need more.
void CMainFrame::FitToForm(const QSize &formSize)
{
    int chrome = 0;
    for (const QWidget *bar : {static_cast<QWidget *>(statusBar()), static_cast<QWidget *>(findChild<QToolBar *>())})
        chrome += bar ? bar->sizeHint().height() : 0;
    const QSize target = formSize + QSize(20, std::max(60, chrome));
    const int menuHeight = menuBar()->sizeHint().height();
    const QSize client = size() - QSize(0, menuHeight);
    if (client.width() < target.width() || client.height() < target.height())
        ResizeOnScreen(target + QSize(0, menuHeight));
}

// The window grows no larger than the screen, where the form scrolls, and
// moves only as far as it must to stay on the screen. A resize goes to the
// window system with the client area's position, which some of them take for
// the frame's and so move the window by its title bar: the frame is put back
// where it belongs.
void CMainFrame::ResizeOnScreen(const QSize &wanted)
{
    const QRect frame = FrameRect();
    const QSize frameExtra = frame.size() - size();
    QSize fitting = wanted;
    QPoint frameTopLeft = frame.topLeft();
    if (const QScreen *onScreen = screen()) {
        const QRect available = onScreen->availableGeometry();
        fitting = fitting.boundedTo(available.size() - frameExtra);
        const QSize frameSize = fitting + frameExtra;
        frameTopLeft.setX(std::max(available.left(), std::min(frameTopLeft.x(), available.right() + 1 - frameSize.width())));
        frameTopLeft.setY(std::max(available.top(), std::min(frameTopLeft.y(), available.bottom() + 1 - frameSize.height())));
    }
    setFixedSize(fitting);
    if (QWindow *window = windowHandle(); window && isVisible()) {
        window->setFramePosition(frameTopLeft);
        if (!window->isExposed())
            m_askedFramePosition = frameTopLeft;
    }
}

void CMainFrame::Activate()
{
    if (isMinimized())
        showNormal();
    QWidget *popup = QApplication::activeModalWidget();
    QWidget *front = popup ? popup : this;
    front->raise();
    front->activateWindow();
}

// ---- menus, toolbar, status bar ----

void CMainFrame::CreateActions()
{
    for (const CommandEntry &entry : kCommands) {
        auto *action = new QAction(QString::fromUtf8(entry.text), this);
        const QString prompt = QString::fromUtf8(entry.prompt);
        action->setStatusTip(prompt.section(u'\n', 0, 0));
        action->setToolTip(prompt.contains(u'\n') ? prompt.section(u'\n', 1) : QString());
        if (entry.keys != QKeySequence::UnknownKey)
            action->setShortcuts(entry.keys);
        if (entry.icon)
            action->setIcon(QIcon(QLatin1String(entry.icon)));
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_actions[id] = action;
    }
    Action(MenuCommand::ViewStatusBar)->setCheckable(true);
    Action(MenuCommand::ViewStatusBar)->setChecked(true);
    // The help keys work everywhere in the window, not only from a menu.
    addAction(Action(MenuCommand::Help));
    addAction(Action(MenuCommand::ContextHelp));
}

QAction *CMainFrame::Action(int command) const
{
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::BuildMenus()
{
    const bool withDocument = m_doc != nullptr;
    QMenuBar *bar = menuBar();
    bar->clear();
    qDeleteAll(m_recentActions);
    m_recentActions.clear();

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(Action(MenuCommand::FileNew));
    file->addAction(Action(MenuCommand::FileOpen));
    if (withDocument) {
        file->addAction(Action(MenuCommand::FileClose));
        file->addAction(Action(MenuCommand::FileSave));
        file->addAction(Action(MenuCommand::FileSaveAs));
        file->addSeparator();
        file->addAction(Action(MenuCommand::FilePrint));
        file->addAction(Action(MenuCommand::FilePrintPreview));
    } else {
        file->addSeparator();
    }
    file->addAction(Action(MenuCommand::FilePrintSetup));
    file->addSeparator();
    const QStringList names = RecentDisplayNames();
    for (int i = 0; i < names.size(); ++i) {
        auto *recent = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(names[i]), this);
        recent->setStatusTip(QStringLiteral("Open this document"));
        connect(recent, &QAction::triggered, this, [this, i] { OnCommand(MenuCommand::FileMruFirst + i); });
        m_recentActions.append(recent);
    }
    if (m_recentActions.isEmpty()) {
        auto *placeholder = new QAction(QStringLiteral("Recent File"), this);
        placeholder->setEnabled(false);
        m_recentActions.append(placeholder);
    }
    file->addActions(m_recentActions);
    file->addSeparator();
    file->addAction(Action(MenuCommand::AppExit));

    if (withDocument) {
        QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
        edit->addAction(Action(MenuCommand::EditUndo));
        edit->addSeparator();
        edit->addAction(Action(MenuCommand::EditCut));
        edit->addAction(Action(MenuCommand::EditCopy));
        edit->addAction(Action(MenuCommand::EditPaste));
    }
    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->addAction(Action(MenuCommand::ViewStatusBar));
    if (withDocument) {
        view->addAction(Action(CommandId::ShowCodeComposer));
        QMenu *program = bar->addMenu(QStringLiteral("&Program"));
        program->addAction(Action(CommandId::DownloadCvtc));
        program->addSeparator();
        program->addAction(Action(CommandId::ProgramFlash));
        program->addAction(Action(CommandId::ViewFlash));
        program->addSeparator();
        program->addAction(Action(CommandId::EraseFlash));
    }
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(Action(MenuCommand::HelpFinder));
    help->addSeparator();
    help->addAction(Action(MenuCommand::AppAbout));

    for (QMenu *menu : bar->findChildren<QMenu *>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::BuildToolBar()
{
    QToolBar *toolBar = addToolBar(QStringLiteral("Standard"));
    toolBar->setObjectName(QStringLiteral("StandardToolBar"));
    toolBar->setAllowedAreas(Qt::TopToolBarArea);
    toolBar->setIconSize(QSize(16, 16));
    for (int command : kToolBar) {
        if (command == 0)
            toolBar->addSeparator();
        else
            toolBar->addAction(Action(command));
    }
}

void CMainFrame::BuildStatusBar()
{
    m_messagePane = new QLabel(this);
    // A text longer than the bar is cut at its end, never drawn under the indicators.
    m_messagePane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_messagePane, 1);
    for (const char *indicator : {"CAP", "NUM", "SCRL"}) {
        auto *pane = new QLabel(QLatin1String(indicator), this);
        pane->setEnabled(false);
        statusBar()->addPermanentWidget(pane);
        m_indicators.append(pane);
    }
}

void CMainFrame::UpdateTitle()
{
    const QString caption = QLatin1String(kCaption);
    setWindowTitle(m_doc ? caption + QLatin1String(" - ") + m_doc->GetTitle() : caption);
}

QStringList CMainFrame::RecentDisplayNames() const
{
    QStringList names;
    for (int i = 0; i < m_recent.Paths().size(); ++i)
        names.append(m_recent.DisplayName(i, QDir::currentPath()));
    return names;
}

// ---- commands ----

bool CMainFrame::IsCommandEnabled(int command) const
{
    if (command >= MenuCommand::FileMruFirst && command < MenuCommand::FileMruFirst + CRecentFileList::kSize)
        return !(m_doc && m_doc->DisablesCommand(MenuCommand::FileMruFirst));
    switch (command) {
    case MenuCommand::FileNew:
    case MenuCommand::FileOpen: return !(m_doc && m_doc->DisablesCommand(command));
    case MenuCommand::FileClose:
    case MenuCommand::FileSave:
    case MenuCommand::FileSaveAs:
    case MenuCommand::FilePrint:
    case MenuCommand::FilePrintPreview: return m_doc != nullptr;
    case MenuCommand::EditUndo:
    case MenuCommand::EditCut:
    case MenuCommand::EditCopy:
    case MenuCommand::EditPaste:
    case CommandId::DownloadCvtc:
    case CommandId::ProgramFlash:
    case CommandId::ViewFlash:
    case CommandId::EraseFlash:
    case CommandId::ShowCodeComposer: return View() && View()->IsCommandEnabled(command);
    default: return true;
    }
}

void CMainFrame::UpdateCommandUI()
{
    for (const auto &[id, action] : m_actions)
        action->setEnabled(IsCommandEnabled(id));
    for (int i = 0; i < m_recentActions.size() && i < m_recent.Paths().size(); ++i)
        m_recentActions[i]->setEnabled(IsCommandEnabled(MenuCommand::FileMruFirst + i));
    const bool codeComposerVisible = View() && View()->IsCodeComposerVisible();
    Action(CommandId::ShowCodeComposer)
        ->setText(codeComposerVisible ? QStringLiteral("&Hide Code Composer") : QStringLiteral("&Show Code Composer"));
    Action(MenuCommand::ViewStatusBar)->setChecked(!statusBar()->isHidden());
}

void CMainFrame::PostCommand(int command)
{
    QMetaObject::invokeMethod(this, [this, command] { OnCommand(command); }, Qt::QueuedConnection);
}

void CMainFrame::OnCommand(int command)
{
    if (!IsCommandEnabled(command))
        return;
    if (command >= MenuCommand::FileMruFirst && command < MenuCommand::FileMruFirst + CRecentFileList::kSize) {
        OpenRecent(command - MenuCommand::FileMruFirst);
        return;
    }
    switch (command) {
    case MenuCommand::FileNew: NewDocument(); break;
    case MenuCommand::FileOpen: OpenWithDialog(); break;
    case MenuCommand::FileClose: CloseDocument(); break;
    case MenuCommand::FileSave: SaveDocument(false); break;
    case MenuCommand::FileSaveAs: SaveDocument(true); break;
    case MenuCommand::FilePrint: OnPrint(); break;
    case MenuCommand::FilePrintPreview: OnPrintPreview(); break;
    case MenuCommand::FilePrintSetup: OnPrintSetup(); break;
    case MenuCommand::AppExit: close(); break;
    case MenuCommand::ViewStatusBar: statusBar()->setHidden(!statusBar()->isHidden()); break;
    case MenuCommand::AppAbout: CAboutDlg(this).exec(); break;
    case MenuCommand::HelpFinder: ShowHelpContents(); break;
    case MenuCommand::Help:
    case MenuCommand::ContextHelp: ShowHelp(QLatin1String(kContextHelpTopic)); break;
    default:
        if (View())
            View()->OnCommand(command);
        break;
    }
    UpdateCommandUI();
}

// ---- documents ----

CCorvaneView *CMainFrame::View() const
{
    return m_child ? &m_child->View() : nullptr;
}

bool CMainFrame::OpenDocument(const QString &path)
{
    if (!CloseDocument())
        return false;
    auto doc = std::make_unique<CCorvaneDoc>();
    if (!doc->OnOpenDocument(path))
        return false;
    m_recent.Add(doc->GetPathName());
    ShowDocument(std::move(doc));
    return true;
}

bool CMainFrame::NewDocument()
{
    if (!CloseDocument())
        return false;
    auto doc = std::make_unique<CCorvaneDoc>();
    if (!doc->OnNewDocument(theApp().Options().textConfigPath))
        return false;
    ShowDocument(std::move(doc));
    return true;
}

void CMainFrame::OpenWithDialog()
{
    const QString path = theFileDialogs().OpenFile(
        this, {QStringLiteral("Open"), QLatin1String(kDocumentFilter), QStringLiteral("cdd"), QString()});
    if (!path.isEmpty())
        OpenDocument(path);
}

void CMainFrame::OpenRecent(int index)
{
    const QString path = m_recent.Paths().value(index);
    if (!path.isEmpty() && !OpenDocument(path)) {
        m_recent.Remove(index);
        BuildMenus();
    }
}

void CMainFrame::ShowDocument(std::unique_ptr<CCorvaneDoc> doc)
{
    m_doc = std::move(doc);
    m_child = new CChildFrame(*m_doc, this, m_periods);
    ReplaceClient(m_child);
    CCorvaneView &view = m_child->View();
    connect(&view, &CCorvaneView::StateChanged, this, &CMainFrame::UpdateCommandUI);
    connect(&view, &CCorvaneView::RequiredSizeChanged, this, [this] {
        if (View())
            FitToForm(View()->RequiredSize());
    });
    // Closing destroys the form, so it runs after the button's handler has returned.
    connect(&view, &CCorvaneView::CloseRequested, this, [this] { OnCommand(MenuCommand::FileClose); },
            Qt::QueuedConnection);
    BuildMenus();
    UpdateTitle();
    FitToForm(view.RequiredSize());
    view.OnInitialUpdate();
    UpdateCommandUI();
}

bool CMainFrame::CloseDocument(int retryCommand)
{
    if (!m_doc)
        return true;
    if (AbortsRunningOperation(retryCommand) || !m_doc->SaveModified([this] { return ChooseSavePath(); }))
        return false;
    DestroyDocument();
    BuildMenus();
    UpdateTitle();
    UpdateCommandUI();
    return true;
}

// True while an operation the user may abort runs: on the user's Yes it is
// aborted, and `retryCommand` follows once it has ended and the form has
// handled its end (which downloads the target component again).
bool CMainFrame::AbortsRunningOperation(int retryCommand)
{
    CFormModel *model = View() ? &View()->Model() : nullptr;
    if (!model || !model->Session().IsAbortable())
        return false;
    if (!thePrompter().AskYesNo(QStringLiteral("An operation is running. Abort it and close?"), false))
        return true;
    // The operation may have ended while the question was open.
    if (model->Session().IsAbortable()) {
        // Child operations end first; the retry waits for the erase or programming itself.
        auto ended = std::make_shared<QMetaObject::Connection>();
        *ended = connect(&model->Session(), &CFlashSession::OperationEnded, this,
                         [this, retryCommand, ended](FlashOperationKind kind, OperationOutcome) {
                             if (kind != FlashOperationKind::Erase && kind != FlashOperationKind::Program)
                                 return;
                             disconnect(*ended);
                             PostCommand(retryCommand);
                         });
        model->OnAbort();
    } else {
        PostCommand(retryCommand);
    }
    return true;
}

// The form goes first: its flash session holds the connection.
void CMainFrame::DestroyDocument()
{
    m_child = nullptr;
    ReplaceClient(nullptr);
    m_doc.reset();
}

// Deletes the old client at once; without a document the client area is empty.
void CMainFrame::ReplaceClient(QWidget *client)
{
    delete takeCentralWidget();
    if (!client) {
        client = new QWidget(this);
        client->setBackgroundRole(QPalette::Dark);
        client->setAutoFillBackground(true);
    }
    setCentralWidget(client);
    client->show();
}

bool CMainFrame::SaveDocument(bool chooseNewPath)
{
    if (!m_doc)
        return false;
    const QString path = chooseNewPath || m_doc->GetPathName().isEmpty() ? ChooseSavePath() : m_doc->GetPathName();
    if (path.isEmpty())
        return false;
    const bool saved = m_doc->OnSaveDocument(path);
    if (View())
        View()->Model().ShowDocumentPaths();
    if (!saved)
        return false;
    m_recent.Add(m_doc->GetPathName());
    BuildMenus();
    UpdateTitle();
    return true;
}

QString CMainFrame::ChooseSavePath()
{
    return theFileDialogs().SaveFile(this,
                                     {QStringLiteral("Save As"), QLatin1String(kDocumentFilter), QStringLiteral("cdd"),
                                      m_doc ? m_doc->GetTitle() : QString()},
                                     m_doc ? m_doc->GetPathName() : QString());
}

// ---- printing ----

QPrinter &CMainFrame::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CMainFrame::OnPrint()
{
    QPrintDialog dialog(&Printer(), this);
    dialog.setMinMax(1, 1);
    if (dialog.exec() == QDialog::Accepted && View())
        CConfigSummary::Print(Printer(), View()->SummaryText());
}

void CMainFrame::OnPrintPreview()
{
    QPrintPreviewDialog preview(&Printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) {
        if (View())
            CConfigSummary::Print(*printer, View()->SummaryText());
    });
    preview.exec();
}

void CMainFrame::OnPrintSetup()
{
    QPageSetupDialog(&Printer(), this).exec();
}
