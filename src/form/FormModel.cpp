#include "FormModel.h"

#include "flash/CommandLineSequence.h"
#include "flash/EraseOperation.h"
#include "flash/Handshake.h"
#include "flash/ProgramOperation.h"
#include "flash/SaveFlashDataOperation.h"
#include "flash/SendUserFileOperation.h"
#include "app/CorvaneApp.h"
#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"
#include "base/ScopedStatusText.h"
#include "base/StatusText.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "wire/CommMessage.h"
#include "config/ControlIds.h"
#include "wire/FlashBaseWire.h"
#include "wire/MaxDataBytes.h"
#include "debugger/AutomationError.h"
#include "debugger/ConnectionList.h"
#include "debugger/DebuggerApplication.h"
#include "debugger/TargetLink.h"

namespace {
const char kDisconnected[] = "Disconnected";

std::unique_ptr<QTimer> MakeTimer(int periodMs)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(periodMs);
    return timer;
}
} // namespace

CFormModel::CFormModel(CCorvaneDoc &doc, FormTimerPeriods periods)
    : m_doc(doc)
    , m_eraseTimer(MakeTimer(periods.eraseProgressMs))
    , m_programTimer(MakeTimer(periods.programAbortMs))
    , m_autoDownloadTimer(MakeTimer(periods.autoDownloadMs))
    , m_handshake(std::make_unique<CHandshake>(*this))
    , m_erase(std::make_unique<CEraseOperation>(*this))
    , m_program(std::make_unique<CProgramOperation>(*this))
    , m_sendUserFile(std::make_unique<CSendUserFileOperation>(*this))
    , m_saveFlashData(std::make_unique<CSaveFlashDataOperation>(*this))
    , m_commandLine(std::make_unique<CCommandLineSequence>(*this))
{
    connect(m_eraseTimer.get(), &QTimer::timeout, this, [this] { OnTimer(kEraseTimerId); });
    connect(m_programTimer.get(), &QTimer::timeout, this, [this] { OnTimer(kProgramTimerId); });
    connect(m_autoDownloadTimer.get(), &QTimer::timeout, this, [this] { OnTimer(kAutoDownloadTimerId); });
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &CFormModel::OnAnswerTimeout);
}

CFormModel::~CFormModel()
{
    if (CTargetLink *link = m_doc.GetTargetLink())
        link->ForgetNotifyWindow(this);
}

CTargetLink &CFormModel::Link()
{
    return *m_doc.GetTargetLink();
}

FormFacts CFormModel::Facts() const
{
    const CTargetLink &link = *m_doc.GetTargetLink();
    FormFacts facts;
    facts.connected = link.IsCreated();
    facts.downloaded = link.IsLoaded();
    facts.idle = m_state.IsIdle();
    facts.addressingUnit = link.AddressingUnit();
    facts.family = quint32(m_doc.m_nFamily);
    facts.subfamily = quint32(m_doc.m_nSubfamily);
    facts.selectedItemData = m_controls.SelectedConnection().itemData;
    return facts;
}

void CFormModel::Refresh()
{
    CFormRefresh::Apply(m_controls, Facts());
}

bool CFormModel::IsCommandEnabled(int command) const
{
    if (command == CommandId::ShowCodeComposer)
        return m_doc.GetTargetLink()->Application() != nullptr;
    return CFormRefresh::IsCommandEnabled(command, m_controls, Facts());
}

// ---- edits, check boxes and the connection list ----

void CFormModel::SetEditText(int id, const QString &text)
{
    m_controls.SetText(id, text);
    switch (id) {
    case ControlId::HexCmdEdit: m_doc.SetHexCmdFile(text); break;
    case ControlId::BurnFileEdit: m_doc.SetBurnFile(text); break;
    case ControlId::CvtcFileEdit: m_doc.SetCvtcFile(text); break;
    case ControlId::FlashBaseEdit: m_doc.SetFlashBase(ParseUnsigned(text)); break;
    case ControlId::FlashSizeEdit: m_doc.SetFlashSize(ParseUnsigned(text)); break;
    case ControlId::ImageOffsetEdit: m_doc.SetImageOffset(quint32(ParseSigned(text))); break;
    default: break;
    }
}

void CFormModel::SetCheck(int id, bool checked)
{
    m_controls.SetChecked(id, checked);
    switch (id) {
    case ControlId::VerifyWriteCheck: m_doc.SetVerifyWrite(checked); break;
    case ControlId::WriteBootAddrCheck: m_doc.SetWriteBootAddr(checked); break;
    case ControlId::OverrideFlashCheck:
        m_doc.SetOverrideFlash(checked);
        Refresh();
        break;
    default: break;
    }
}

void CFormModel::SelectConnection(int index)
{
    m_controls.SetSelection(index);
    if (m_controls.Selection() < 0)
        return;
    CopySelectionToDocument();
    Refresh();
}

void CFormModel::CopySelectionToDocument()
{
    const CConnectionList::Entry entry = m_controls.SelectedConnection();
    m_doc.m_strConnection = entry.text;
    m_doc.m_nConnSelHigh = qint32(entry.itemData >> 24);
    m_doc.m_nConnSelLow = qint32(entry.itemData & 0xFFFFFF);
    m_doc.SetModifiedFlag();
}

void CFormModel::OnConnectButton()
{
    Guarded([this] {
        CTargetLink &link = Link();
        if (link.IsCreated()) {
            link.Release();
            m_controls.SetSelection(m_nDisconnectedIndex);
        } else {
            const quint32 itemData = m_controls.SelectedConnection().itemData;
            if (CConnectionList::IsHardwareConnection(itemData)) {
                qint32 family = 0;
                qint32 subfamily = 0;
                link.Create(CConnectionList::BoardIndexOf(itemData), CConnectionList::ProcessorIndexOf(itemData),
                            family, subfamily);
                m_doc.m_nFamily = link.Family();
                m_doc.m_nSubfamily = link.Subfamily();
            }
        }
    });
    Refresh();
}

void CFormModel::OnShowCodeComposer()
{
    Guarded([this] {
        if (IDebuggerApplication *application = Link().Application())
            application->SetVisible(!application->IsVisible());
    });
}

// ---- first display ----

void CFormModel::InitialDisplay()
{
    const bool wasModified = m_doc.IsModified();
    FillControlsFromDocument();
    ConnectDocumentConnection();
    SetEditText(ControlId::CvtcFileEdit, m_doc.m_strCvtcFile);
    const bool setUpGoesOn = m_doc.m_strCvtcFile.isEmpty() ? UnattendedRunCanGoOn() : StartAutomaticDownload();
    if (setUpGoesOn) {
        const quint32 itemData = (quint32(m_doc.m_nConnSelHigh) << 24) | (quint32(m_doc.m_nConnSelLow) & 0xFFFFFF);
        const int index = m_controls.Connections().FindItemData(itemData);
        if (index < 0) {
            Guarded([this] { Link().Release(); });
            m_controls.SetSelection(m_nDisconnectedIndex);
        } else {
            m_controls.SetSelection(index);
        }
    }
    m_controls.SetChecked(ControlId::VerifyWriteCheck, m_doc.m_bVerifyWrite != 0);
    if (m_doc.m_nSubfamily == 0x54)
        m_controls.SetChecked(ControlId::WriteBootAddrCheck, m_doc.m_bWriteBootAddr != 0);
    else
        m_controls.SetEnabled(ControlId::WriteBootAddrCheck, false);
    m_doc.SetModifiedFlag(wasModified || m_doc.GetStoredSchema() < CDocumentFields::kCurrentSchema);
    Refresh();
    m_controls.SetVisible(ControlId::Step3DoneIcon, false);
}

void CFormModel::FillControlsFromDocument()
{
    SetEditText(ControlId::HexCmdEdit, m_doc.m_strHexCmdFile);
    if (m_doc.m_nFlashBase != 0 || m_doc.m_nFlashSize != 0) {
        const quint32 base = m_doc.m_nFlashBase;
        const quint32 size = m_doc.m_nFlashSize;
        SetEditText(ControlId::FlashBaseEdit, QString::asprintf("0x%X", base));
        SetEditText(ControlId::FlashSizeEdit, QString::asprintf("0x%X", size));
    }
    m_controls.SetChecked(ControlId::OverrideFlashCheck, m_doc.m_bOverrideFlash != 0);
    SetEditText(ControlId::BurnFileEdit, m_doc.m_strBurnFile);
    SetEditText(ControlId::ImageOffsetEdit, QString::asprintf("0x%X", m_doc.m_nImageOffset));
}

void CFormModel::ExamineConnections()
{
    CConnectionList list;
    Guarded([this, &list] { list.Examine(Link()); });
    m_controls.SetConnections(list);
    m_nDisconnectedIndex = list.DisconnectedIndex();
}

void CFormModel::ConnectDocumentConnection()
{
    ExamineConnections();
    if (m_doc.m_strConnection == QLatin1String(kDisconnected)) {
        m_controls.SetSelection(m_nDisconnectedIndex);
    } else {
        const int index = m_controls.Connections().FindExactText(m_doc.m_strConnection);
        if (index < 0) {
            ReportLogged(QStringLiteral("The connection type listed in the Configuration Document: %1\r\nis not "
                                         "available.   Starting Corvane without connection to hardware.\r\n\r\n"
                                         "Choose a connection and continue.")
                              .arg(m_doc.m_strConnection));
            m_controls.SetSelection(m_nDisconnectedIndex);
        } else {
            m_controls.SetSelection(index);
            OnConnectButton();
        }
    }
    if (m_controls.Selection() >= 0)
        CopySelectionToDocument();
}

bool CFormModel::StartAutomaticDownload()
{
    if (Link().IsCreated()) {
        m_nAutoDownloadAttempts = 0;
        m_autoDownloadTimer->start();
        return true;
    }
    if (theApp().IsInteractive())
        return true;
    ReportLogged(QStringLiteral("Code Composer Studio is not Available\r\n"));
    RequestClose();
    return false;
}

// An unattended run without a target component to download would wait for ever.
bool CFormModel::UnattendedRunCanGoOn()
{
    if (theApp().IsInteractive())
        return true;
    ReportLogged(QStringLiteral("No CVTC Program File is named in the Configuration Document.\r\n"));
    RequestClose();
    return false;
}

// ---- downloading the target component ----

bool CFormModel::LoadCvtc(const QString &path)
{
    bool loaded = false;
    Guarded([&] { loaded = Link().LoadTargetComponent(path, kCvtcLoadTimeoutMs); });
    return loaded;
}

void CFormModel::OnDownloadCommand()
{
    Refresh();
    theStatusText().SetStatusText(QStringLiteral("Downloading CVTC"));
    m_controls.SetText(ControlId::CvtcVersionEdit, QString());
    const QString path = m_controls.Text(ControlId::CvtcFileEdit);
    if (path.isEmpty()) {
        thePrompter().ShowMessage(QStringLiteral("An CVTC program file was not specified.\r\nChoose an CVTC program "
                                                 "file and click Download CVTC"));
        theStatusText().SetStatusText(QString());
        return;
    }
    if (LoadCvtc(path)) {
        m_strDownloadedCvtc = path;
        StartHandshake();
    } else {
        ReportLogged(QStringLiteral("Cannot load CVTC Program\r\n"));
    }
    Refresh();
    theStatusText().SetStatusText(QString());
}

void CFormModel::StartHandshake()
{
    Guarded([this] { m_handshake->Start(); });
}

void CFormModel::OnAutoDownloadTick()
{
    m_autoDownloadTimer->stop();
    if (Link().IsLoaded() || m_nAutoDownloadAttempts >= 1)
        return;
    ++m_nAutoDownloadAttempts;
    if (LoadCvtc(m_doc.m_strCvtcFile)) {
        m_strDownloadedCvtc = m_doc.m_strCvtcFile;
        StartHandshake();
    } else {
        ReportLogged(QStringLiteral(
            "Either I cannot load CVTC, or the CVTC is not compatible with this version of Corvane.\r\nVerify that "
            "the CVTC file is compatible with target and this version of Corvane.\r\n"));
        RequestClose();
    }
    Refresh();
}

void CFormModel::DownloadAgainAfterAbort()
{
    if (LoadCvtc(m_controls.Text(ControlId::CvtcFileEdit)))
        StartHandshake();
    Refresh();
}

// ---- starting operations ----

void CFormModel::ClearLogUnlessVerbose()
{
    if (!theApp().IsVerbose())
        theLog.Clear();
}

void CFormModel::Register()
{
    Link().SetNotifyWindow(this);
}

void CFormModel::StartErase()
{
    Guarded([this] { m_erase->Start(); });
}

void CFormModel::StartProgramming()
{
    Guarded([this] { m_program->Start(); });
}

void CFormModel::StartSendUserFile(const QString &path)
{
    theStatusText().SetStatusText(QStringLiteral("Sending User File"));
    Register();
    m_state.Set(Op::SendUserFile, Step::SendFirstChunk);
    m_sendUserFile->SetPath(path);
    SelfNotify();
}

void CFormModel::StartViewFlash()
{
    ClearLogUnlessVerbose();
    Register();
    m_state.Set(Op::OpenMemoryView, Step::ViewSendBase);
    SelfNotify();
}

void CFormModel::StepMemoryView()
{
    CommMessage request;
    switch (m_state.SubState()) {
    case Step::ViewSendBase:
        m_nViewFlashBase = ParseUnsigned(m_controls.Text(ControlId::FlashBaseEdit));
        request.SetCommand(CommandCode::SetFlashBase);
        request.SetParam32(0, FlashBaseToWire(m_nViewFlashBase, m_doc.m_nSubfamily, m_nProtocolId));
        m_state.SetSubState(Step::ViewSendSize);
        SendHeader(request);
        break;
    case Step::ViewSendSize:
        m_nViewFlashSize = ParseUnsigned(m_controls.Text(ControlId::FlashSizeEdit));
        request.SetCommand(CommandCode::SetFlashSize);
        request.SetParam32(0, m_nViewFlashSize);
        m_state.SetSubState(Step::ViewCreateDialog);
        SendHeader(request);
        break;
    case Step::ViewCreateDialog:
        if (m_flashView) {
            m_state.SetSubState(Step::ViewShowDialog);
            SelfNotify();
            break;
        }
        if (m_flashViewFactory)
            m_flashView = m_flashViewFactory(Link(), m_doc.m_nFlashSize);
        request.SetCommand(CommandCode::QueryEditSupport);
        m_state.SetSubState(Step::ViewReadEditSupport);
        SendHeader(request);
        break;
    case Step::ViewReadEditSupport:
        ReceiveHeader(request);
        m_state.SetIdle();
        if (m_flashView) {
            m_flashView->SetEditSupport(request.Param(0) != 0);
            m_flashView->ShowView(m_doc.GetTitle() + QLatin1String(" Flash Memory"));
        }
        break;
    default:
        m_state.SetIdle();
        if (m_flashView)
            m_flashView->ShowView(m_doc.GetTitle() + QLatin1String(" Flash Memory"));
        break;
    }
}

// ---- the state machine ----

void CFormModel::OnCommMessage()
{
    m_answerTimer.stop();
    Dispatch();
    Refresh();
}

void CFormModel::OnCommFailure(const CAutomationError &)
{
    EndOperation();
    if (!theApp().IsInteractive())
        RequestClose();
    Refresh();
}

void CFormModel::EndOperation()
{
    m_answerTimer.stop();
    HideAbortButton();
    StopTimer(kEraseTimerId);
    StopTimer(kProgramTimerId);
    m_state.SetIdle();
}

void CFormModel::Dispatch()
{
    switch (m_state.State()) {
    case Op::Handshake: m_handshake->Step(); break;
    case Op::Erase: m_erase->Step(); break;
    case Op::Program: m_program->Step(); break;
    case Op::SendUserFile: m_sendUserFile->Step(); break;
    case Op::OpenMemoryView: StepMemoryView(); break;
    case Op::CommandLineRun: m_commandLine->Step(); break;
    case Op::SaveFlashData: m_saveFlashData->Step(); break;
    default: break;
    }
}

void CFormModel::FailOperation(const QString &text)
{
    ReportContinuingFailure(text);
    EndOperation();
}

void CFormModel::ReportContinuingFailure(const QString &text)
{
    ReportLogged(text);
    if (!theApp().IsInteractive())
        RequestClose();
}

void CFormModel::RequestClose()
{
    m_answerTimer.stop();
    theApp().RequestMainWindowClose();
}

void CFormModel::SendHeader(const CommMessage &message, int extraWaitSeconds)
{
    ArmAnswerTimeout(extraWaitSeconds);
    Link().SendHeader(message);
}

void CFormModel::SendMessage(const CommMessage &message)
{
    ArmAnswerTimeout(0);
    Link().SendMessage(message);
}

void CFormModel::ResumeTarget()
{
    ArmAnswerTimeout(0);
    Link().Resume();
}

void CFormModel::ReceiveHeader(CommMessage &message)
{
    Link().ReceiveHeader(message);
}

void CFormModel::ReceiveMessage(CommMessage &message)
{
    Link().ReceiveMessage(message);
}

void CFormModel::ArmAnswerTimeout(int extraWaitSeconds)
{
    if (m_nAnswerTimeoutSeconds > 0)
        m_answerTimer.start((m_nAnswerTimeoutSeconds + extraWaitSeconds) * 1000);
}

void CFormModel::OnAnswerTimeout()
{
    FailOperation(QString::asprintf("Target did not answer within %d seconds.\r\n", m_nAnswerTimeoutSeconds));
}

void CFormModel::SetMaxDataWords(quint16 words)
{
    ::SetMaxDataWords(words);
    m_nMaxDataWords = words;
    m_nMaxDataBytes = MaxDataBytes();
}

void CFormModel::SetProgressBytes(qint64 bytes)
{
    m_nProgressBytes = bytes;
}

// ---- abort, timers ----

void CFormModel::OnAbort()
{
    theStatusText().SetStatusText(QStringLiteral("Canceled"));
    m_bCancel = true;
}

void CFormModel::ShowAbortButton()
{
    m_bCancel = false;
    m_controls.SetVisible(ControlId::AbortButton, true);
}

void CFormModel::HideAbortButton()
{
    m_controls.SetVisible(ControlId::AbortButton, false);
}

QTimer *CFormModel::TimerFor(int timerId) const
{
    switch (timerId) {
    case kEraseTimerId: return m_eraseTimer.get();
    case kProgramTimerId: return m_programTimer.get();
    case kAutoDownloadTimerId: return m_autoDownloadTimer.get();
    default: return nullptr;
    }
}

void CFormModel::StartTimer(int timerId)
{
    if (QTimer *timer = TimerFor(timerId))
        timer->start();
}

void CFormModel::StopTimer(int timerId)
{
    if (QTimer *timer = TimerFor(timerId))
        timer->stop();
}

bool CFormModel::IsTimerActive(int timerId) const
{
    const QTimer *timer = TimerFor(timerId);
    return timer && timer->isActive();
}

void CFormModel::Guarded(const std::function<void()> &step)
{
    RunAtEventLoopBoundary(step, [this](const CAutomationError &error) { OnCommFailure(error); });
}

void CFormModel::OnTimer(int timerId)
{
    Guarded([this, timerId] {
            switch (timerId) {
            case kEraseTimerId:
                if (m_erase->OnTick())
                    DownloadAgainAfterAbort();
                break;
            case kProgramTimerId:
                if (m_program->OnTick())
                    DownloadAgainAfterAbort();
                break;
            case kAutoDownloadTimerId: OnAutoDownloadTick(); break;
            default: break;
            }
        });
    Refresh();
}
