#include "CorvaneView.h"

#include "ConfigSummary.h"
#include "ControlLookup.h"
#include "ExchangeWindow.h"
#include "FileDialogs.h"
#include "FlashMemoryDlg.h"
#include "HelpWindow.h"
#include "SimulatorWindow.h"
#include "app/CorvaneApp.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "debugger/AutomationError.h"
#include "debugger/DebuggerApplication.h"
#include "debugger/ExchangeMonitor.h"
#include "debugger/SetupBoard.h"
#include "debugger/TargetLink.h"
#include "debugger/sim/SimMonitor.h"
#include "ui_CorvaneView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStyle>

namespace {
// The user's "Changed blocks only" choice, kept across documents and starts.
constexpr char kChangedOnlyKey[] = "ChangedBlocksOnly";
// The user's answer time-out in seconds, as "--timeout" gives it to a command-line run (0 waits as long as
// the target takes); a value out of range counts as the default.
constexpr char kAnswerTimeoutKey[] = "AnswerTimeoutSeconds";

int AnswerTimeoutSetting()
{
    const QString text =
        QSettings().value(QLatin1String(kAnswerTimeoutKey), CRunOptions::kDefaultAnswerTimeoutSeconds).toString();
    return CCorvaneApp::TimeoutSeconds(text).value_or(CRunOptions::kDefaultAnswerTimeoutSeconds);
}

const char kTitleEnabledProperty[] = "titleEnabled";
const char kFormHelpTopic[] = "CorvaneGUI.htm";
constexpr int kIconSize = 32;

// The edits the user types into; the edit commands work on them.
constexpr int kTypedEdits[] = {ControlId::HexCmdEdit,   ControlId::BurnFileEdit,  ControlId::ImageOffsetEdit,
                              ControlId::CvtcFileEdit, ControlId::FlashBaseEdit, ControlId::FlashSizeEdit};

const struct {
    int id;
    const char *file;
} kIcons[] = {
    {ControlId::Step1DoneIcon, ":/icons/check.svg"},
    {ControlId::Step2DoneIcon, ":/icons/check.svg"},
    {ControlId::Step3DoneIcon, ":/icons/check.svg"},
    {ControlId::DownloadedIcon, ":/icons/downloaded.svg"},
    {ControlId::NotDownloadedIcon, ":/icons/not-downloaded.svg"},
    {ControlId::EraseIcon, ":/icons/erase.svg"},
    {ControlId::ProgramIcon, ":/icons/program.svg"},
};

struct BrowseTarget {
    int button;
    int edit;
    CFileDialogs::Request request;
};

const BrowseTarget &BrowseTargetOf(int button)
{
    static const BrowseTarget targets[] = {
        {ControlId::BurnFileBrowse, ControlId::BurnFileEdit,
         {QStringLiteral("Select A Hex File For Burning..."),
          QStringLiteral("Hex Files (*.hex)|*.hex|Data Files (*.dat)|*.dat|Text Files (*.txt)|*.txt|"
                         "S-Records (*.s19;*.s28;*.s37;*.srec;*.mot)|*.s19;*.s28;*.s37;*.srec;*.mot|"
                         "Intel HEX (*.ihex;*.ihx)|*.ihex;*.ihx|Tektronix (*.tek)|*.tek|ELF Files (*.elf;*.out)|*.elf;*.out|"
                         "Binary Files (*.bin)|*.bin|All Files (*.*)|*.*||"),
          QStringLiteral("hex"), QStringLiteral("*.hex")}},
        {ControlId::CvtcFileBrowse, ControlId::CvtcFileEdit,
         {QStringLiteral("Select An CVTC Program..."),
          QStringLiteral("Coff Files (*.out)|*.out|ELF Files (*.elf)|*.elf|Simulated Components (*.sim)|*.sim|All "
                         "Files (*.*)|*.*||"),
          QStringLiteral("out"), QStringLiteral("*.out")}},
        {ControlId::HexCmdBrowse, ControlId::HexCmdEdit,
         {QStringLiteral("Select A Command File For Hex Conversion"),
          QStringLiteral("Hex Cmd Files (*.cmd)|*.cmd|All Files (*.*)|*.*||"), QStringLiteral("cmd"),
          QStringLiteral("*.cmd")}},
    };
    for (const BrowseTarget &target : targets) {
        if (target.button == button)
            return target;
    }
    return targets[0];
}

// The component files of the selected connection's backend come first: the
// simulator's component files, ELF programs for a GDB server, else COFF or ELF
// programs named .out.
CFileDialogs::Request ComponentRequest(CFileDialogs::Request request, SetupProcessor::Kind backend)
{
    switch (backend) {
    case SetupProcessor::Kind::Simulator: request.initialName = QStringLiteral("*.sim"); break;
    case SetupProcessor::Kind::Gdb: request.initialName = QStringLiteral("*.elf"); break;
    case SetupProcessor::Kind::Ccs:
    case SetupProcessor::Kind::Bypass: break;
    }
    request.defaultSuffix = request.initialName.mid(2);
    return request;
}

// The wait cursor for one scope.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

CCorvaneView::CCorvaneView(CCorvaneDoc &doc, QWidget *parent, FormTimerPeriods periods)
    : QWidget(parent)
    , m_doc(doc)
    , m_ui(std::make_unique<Ui::CorvaneView>())
    , m_model(std::make_unique<CFormModel>(doc, periods))
    , m_focusKeeper(*this)
{
    m_ui->setupUi(this);
    // However narrow the window (a large scale factor on a small screen), the
    // form scrolls rather than squeeze the image offset below a 32-bit number.
    QLineEdit *offset = m_ui->imageOffsetEdit;
    offset->setMinimumWidth(offset->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000_")) +
                            2 * offset->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    m_model->SetFlashViewFactory([](CFlashSession &session, quint32 flashSizeBytes) -> std::unique_ptr<CFlashViewHost> {
        return std::make_unique<CFlashMemoryDlg>(session, flashSizeBytes);
    });
    BindControls();
    m_model->SetCheck(ControlId::ChangedOnlyCheck, QSettings().value(QLatin1String(kChangedOnlyKey), false).toBool());
    m_model->Session().SetAnswerTimeout(AnswerTimeoutSetting());
    connect(&m_model->Controls(), &CFormControls::Changed, this, [this](int id) {
        ApplyControl(id);
        if (m_debuggerWindow)
            SyncDebuggerWindow();
        emit StateChanged();
    });
    ApplyAll();
}

CCorvaneView::~CCorvaneView() = default;

void CCorvaneView::BindControls()
{
    for (QWidget *widget : findChildren<QWidget *>()) {
        const QVariant id = widget->property(kControlIdProperty);
        if (!id.isValid())
            continue;
        m_controls[id.toInt()] = widget;
        if (id.toInt() != ControlId::SizeMarker) {
            QSizePolicy policy = widget->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            widget->setSizePolicy(policy);
        }
        ConnectInput(id.toInt(), widget);
    }
    for (const auto &icon : kIcons) {
        if (auto *label = qobject_cast<QLabel *>(Control(icon.id)))
            label->setPixmap(QIcon(QLatin1String(icon.file)).pixmap(kIconSize, kIconSize));
    }
}

void CCorvaneView::ConnectInput(int id, QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, id](const QString &text) { Handle([&] { m_model->SetEditText(id, text); }); });
    } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
        connect(box, &QCheckBox::clicked, this,
                [this, id](bool checked) {
                    Handle([&] { m_model->SetCheck(id, checked); });
                    if (id == ControlId::ChangedOnlyCheck)
                        QSettings().setValue(QLatin1String(kChangedOnlyKey), checked);
                });
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        connect(button, &QPushButton::clicked, this, [this, id] { OnButton(id); });
    } else if (auto *list = qobject_cast<QComboBox *>(widget)) {
        connect(list, &QComboBox::activated, this,
                [this](int index) { Handle([&] { m_model->SelectConnection(index); }); });
    }
}

QWidget *CCorvaneView::Control(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

bool CCorvaneView::IsGroupTitleEnabled(int id) const
{
    const QWidget *group = Control(id);
    return group && group->property(kTitleEnabledProperty).toBool();
}

QSize CCorvaneView::RequiredSize() const
{
    return sizeHint();
}

bool CCorvaneView::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest)
        emit RequiredSizeChanged();
    return handled;
}

// ---- commands and buttons ----

void CCorvaneView::OnButton(int id)
{
    switch (id) {
    case ControlId::ConnectButton: Handle([this] { m_model->OnConnectButton(); }); break;
    case ControlId::DownloadButton: OnCommand(CommandId::DownloadCvtc); break;
    case ControlId::EraseButton: OnCommand(CommandId::EraseFlash); break;
    case ControlId::ProgramButton: OnCommand(CommandId::ProgramFlash); break;
    case ControlId::ViewFlashButton: OnCommand(CommandId::ViewFlash); break;
    case ControlId::AbortButton: m_model->OnAbort(); break;
    case ControlId::BurnFileBrowse:
    case ControlId::CvtcFileBrowse:
    case ControlId::HexCmdBrowse: Browse(id); break;
    case ControlId::Close: emit CloseRequested(); break;
    case ControlId::Help: ShowHelp(QLatin1String(kFormHelpTopic)); break;
    default: break;
    }
}

bool CCorvaneView::IsCommandEnabled(int command) const
{
    switch (command) {
    case MenuCommand::EditUndo:
    case MenuCommand::EditCut:
    case MenuCommand::EditCopy:
    case MenuCommand::EditPaste: return FocusedFileEdit() != nullptr;
    default: return m_model->IsCommandEnabled(command);
    }
}

void CCorvaneView::OnCommand(int command)
{
    QLineEdit *edit = FocusedFileEdit();
    switch (command) {
    case CommandId::DownloadCvtc: {
        const CWaitCursor wait;
        Handle([this] { m_model->OnDownloadCommand(); });
        break;
    }
    case CommandId::EraseFlash: Handle([this] { m_model->StartErase(); }); break;
    case CommandId::ProgramFlash: StartProgramming(); break;
    case CommandId::ViewFlash: Handle([this] { m_model->StartViewFlash(); }); break;
    case CommandId::ShowCodeComposer: ShowCodeComposer(); break;
    case MenuCommand::EditUndo: if (edit) edit->undo(); break;
    case MenuCommand::EditCut: if (edit) edit->cut(); break;
    case MenuCommand::EditCopy: if (edit) edit->copy(); break;
    case MenuCommand::EditPaste: if (edit) edit->paste(); break;
    default: break;
    }
}

void CCorvaneView::StartProgramming()
{
    const CWaitCursor wait;
    Handle([this] { m_model->StartProgramming(); });
}

QLineEdit *CCorvaneView::FocusedFileEdit() const
{
    QWidget *focus = QApplication::focusWidget();
    for (int id : kTypedEdits) {
        if (focus && focus == Control(id))
            return qobject_cast<QLineEdit *>(focus);
    }
    return nullptr;
}

void CCorvaneView::Browse(int buttonId)
{
    const BrowseTarget &target = BrowseTargetOf(buttonId);
    const CFileDialogs::Request request = buttonId == ControlId::CvtcFileBrowse
        ? ComponentRequest(target.request, m_model->Controls().SelectedConnection().kind)
        : target.request;
    const QString path = theFileDialogs().OpenFile(this, request, m_model->Controls().Text(target.edit));
    if (!path.isEmpty())
        Handle([&] { m_model->SetEditText(target.edit, path); });
}

void CCorvaneView::Handle(const std::function<void()> &handler)
{
    RunAtEventLoopBoundary(handler, [this](const CAutomationError &error) { m_model->Session().OnCommFailure(error); });
}

// ---- the debugger window ----

void CCorvaneView::ShowCodeComposer()
{
    Handle([this] { m_model->OnShowCodeComposer(); });
    SyncDebuggerWindow();
}

bool CCorvaneView::IsCodeComposerVisible() const
{
    IDebuggerApplication *application = m_model->Link().Application();
    return application && application->IsVisible();
}

CSimulatorWindow *CCorvaneView::SimulatorWindow() const
{
    return qobject_cast<CSimulatorWindow *>(m_debuggerWindow.get());
}

CExchangeWindow *CCorvaneView::ExchangeWindow() const
{
    return qobject_cast<CExchangeWindow *>(m_debuggerWindow.get());
}

// The connection's debugger window (the simulator's, or the exchanges with a
// GDB server or the CCS bridge) is shown while the debugger counts as visible.
void CCorvaneView::SyncDebuggerWindow()
{
    const bool simulated = theSimMonitor().HasProcessor();
    CExchangeMonitor *exchanges = !theGdbMonitor().Server().isEmpty() ? &theGdbMonitor()
        : !theCcsMonitor().Server().isEmpty()                          ? &theCcsMonitor()
                                                                        : nullptr;
    const bool show = IsCodeComposerVisible() && (simulated || exchanges);
    const bool fits = simulated ? SimulatorWindow() != nullptr
                                : ExchangeWindow() && &ExchangeWindow()->Monitor() == exchanges;
    if (show && !fits) {
        if (simulated)
            m_debuggerWindow = std::make_unique<CSimulatorWindow>();
        else
            m_debuggerWindow = std::make_unique<CExchangeWindow>(
                exchanges == &theGdbMonitor() ? CExchangeWindow::Gdb() : CExchangeWindow::Ccs(), *exchanges);
        connect(m_debuggerWindow.get(), &CDebuggerWindow::Closed, this, [this] {
            if (IsCodeComposerVisible())
                ShowCodeComposer();
        });
    }
    if (m_debuggerWindow)
        m_debuggerWindow->setVisible(show);
}

// ---- first display and updates ----

void CCorvaneView::OnInitialUpdate()
{
    OnUpdate();
    Handle([this] { m_model->InitialDisplay(); });
    if (theApp().IsInteractive()) {
        window()->raise();
        window()->activateWindow();
    }
}

void CCorvaneView::OnUpdate()
{
    m_model->Session().StopTimer(CFlashSession::kEraseTimerId);
}

QString CCorvaneView::SummaryText() const
{
    return CConfigSummary::Text(m_model->Controls(), m_doc);
}

// ---- showing the model's controls ----

void CCorvaneView::ApplyAll()
{
    for (const auto &[id, widget] : m_controls)
        ApplyControl(id);
}

void CCorvaneView::ApplyControl(int id)
{
    if (id == ControlId::ConnectionList)
        ApplyConnectionList();
    else if (id == ControlId::ProgressBar)
        ApplyProgress();
    QWidget *widget = Control(id);
    if (!widget)
        return;
    const ControlState &state = m_model->Controls().Control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        if (edit->text() != state.text)
            edit->setText(state.text);
        ApplyEditState(*edit, state);
    } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
        box->setChecked(state.checked);
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        if (!state.text.isEmpty())
            button->setText(state.text);
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        if (!state.text.isEmpty())
            label->setText(state.text);
    }
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        SetGroupTitleEnabled(group, state.enabled);
    else
        m_focusKeeper.SetEnabled(*widget, state.enabled);
    widget->setVisible(state.visible);
}

// Read-only edits take the window's background and are skipped by the focus;
// a field that holds no number gets a red frame and a tip with the notations.
void CCorvaneView::ApplyEditState(QLineEdit &edit, const ControlState &state)
{
    edit.setReadOnly(state.readOnly);
    edit.setFocusPolicy(state.readOnly ? Qt::NoFocus : Qt::StrongFocus);
    QStringList style;
    if (state.readOnly)
        style.append(QStringLiteral("background: palette(window);"));
    if (state.invalid)
        style.append(QStringLiteral("border: 2px solid #d00000;"));
    edit.setStyleSheet(style.isEmpty() ? QString() : QStringLiteral("QLineEdit { %1 }").arg(style.join(u' ')));
    edit.setToolTip(state.invalid ? QStringLiteral("Not a number. Numbers are written as %1.").arg(NumberNotations())
                                  : QString());
}

// A disabled step greys its title only: the controls inside keep their own state.
void CCorvaneView::SetGroupTitleEnabled(QGroupBox *group, bool enabled)
{
    group->setProperty(kTitleEnabledProperty, enabled);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::WindowText);
    group->setStyleSheet(enabled ? QString() : QStringLiteral("QGroupBox::title { color: %1; }").arg(grey.name()));
}

void CCorvaneView::ApplyConnectionList()
{
    auto *list = qobject_cast<QComboBox *>(Control(ControlId::ConnectionList));
    if (!list)
        return;
    const CFormControls &controls = m_model->Controls();
    const QList<CConnectionList::Entry> &entries = controls.Connections().Entries();
    const QSignalBlocker blocker(list);
    bool same = list->count() == entries.size();
    for (int i = 0; same && i < entries.size(); ++i)
        same = list->itemText(i) == entries[i].text;
    if (!same) {
        list->clear();
        for (const CConnectionList::Entry &entry : entries)
            list->addItem(entry.text);
    }
    list->setCurrentIndex(controls.Selection());
}

void CCorvaneView::ApplyProgress()
{
    auto *bar = qobject_cast<QProgressBar *>(Control(ControlId::ProgressBar));
    if (!bar)
        return;
    const CFormControls &controls = m_model->Controls();
    bar->setRange(controls.ProgressLow(), controls.ProgressHigh());
    bar->setValue(controls.ProgressPosition());
}
