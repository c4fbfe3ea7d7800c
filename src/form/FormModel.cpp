#include "FormModel.h"

#include "FormProgressDisplay.h"

#include "base/CloseRequest.h"
#include "base/FailureReporter.h"
#include "base/Prompter.h"
#include "base/StatusText.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "debugger/AutomationError.h"
#include "debugger/ConnectionList.h"
#include "debugger/DebuggerApplication.h"
#include "debugger/TargetLink.h"
#include "flash/EraseEstimate.h"
#include "flash/ViewFlashJob.h"

#include <QScopedValueRollback>

namespace {
const char kDisconnected[] = "Disconnected";
const char kCanceled[] = "Canceled.";
} // namespace

CFormModel::CFormModel(CCorvaneDoc &doc, FormTimerPeriods periods)
    : m_doc(doc)
    , m_session(std::make_unique<CTargetLink>(),
                {periods.eraseProgressMs, periods.programAbortMs, periods.answerSecondMs})
    , m_download(m_session, doc, periods.autoDownloadMs)
{
    connect(&m_download, &CComponentDownload::AutomaticDownloadDone, this, &CFormModel::Refresh);
    connect(&m_session, &CFlashSession::Progress, this,
            [this](const CProgressEvent &event) { CFormProgressDisplay::Show(event, m_controls); });
    connect(&m_session, &CFlashSession::OperationEnded, this, &CFormModel::OnOperationEnded);
    connect(&m_session, &CFlashSession::AbortableChanged, this,
            [this](bool abortable) { m_controls.SetVisible(ControlId::AbortButton, abortable); });
    connect(&m_session, &CFlashSession::Halted, this, &CFormModel::Refresh);
    // Released from the event loop, outside the backend's report of the loss.
    connect(&m_session, &CFlashSession::LinkLost, this, &CFormModel::OnLinkLost, Qt::QueuedConnection);
}

CFormModel::~CFormModel() = default;

FormFacts CFormModel::Facts() const
{
    const CTargetLink &link = m_session.Link();
    FormFacts facts;
    facts.connected = link.IsCreated();
    facts.downloaded = link.IsLoaded();
    facts.idle = m_session.IsIdle() || IsFlashViewRequest(m_session.Running());
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
        return m_session.Link().Application() != nullptr;
    return CFormRefresh::IsCommandEnabled(command, m_controls, Facts());
}

bool CFormModel::IsTimerActive(int timerId) const
{
    return timerId == CComponentDownload::kTimerId ? m_download.IsTimerActive() : m_session.IsTimerActive(timerId);
}

void CFormModel::Guarded(const std::function<void()> &command)
{
    // The error is reported where it is caught; an unattended run then ends.
    RunAtEventLoopBoundary(command, [](const CAutomationError &) { theReporter().Report(CFailure::Logged(QString())); });
}

// ---- edits, check boxes and the connection list ----

// A number field that holds no number is marked, and the document keeps its last value.
void CFormModel::SetEditText(int id, const QString &text)
{
    m_controls.SetText(id, text);
    if (NumberFieldName(id)) {
        const bool invalid = !text.isEmpty() && !IsNumberText(text);
        m_controls.SetInvalid(id, invalid);
        if (invalid)
            return;
    }
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

const char *CFormModel::NumberFieldName(int id)
{
    switch (id) {
    case ControlId::FlashBaseEdit: return "Flash Base Address";
    case ControlId::FlashSizeEdit: return "Flash Size";
    case ControlId::ImageOffsetEdit: return "Flash Image Offset";
    default: return nullptr;
    }
}

bool CFormModel::RefusesInvalidNumbers(std::initializer_list<int> fieldIds) const
{
    for (int id : fieldIds) {
        if (m_controls.Control(id).invalid) {
            thePrompter().ShowMessage(QStringLiteral("The %1 field holds \"%2\", which is not a number.\r\nNumbers are "
                                                     "written as %3.")
                                          .arg(QLatin1String(NumberFieldName(id)), m_controls.Text(id), NumberNotations()));
            return true;
        }
    }
    return false;
}

void CFormModel::SetCheck(int id, bool checked)
{
    m_controls.SetChecked(id, checked);
    switch (id) {
    case ControlId::VerifyWriteCheck: m_doc.SetVerifyWrite(checked); break;
    case ControlId::WriteBootAddrCheck: m_doc.SetWriteBootAddr(checked); break;
    case ControlId::ChangedOnlyCheck: m_bChangedOnly = checked; break;
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
            m_controls.SetSelection(m_nDisconnectedIndex);
            const QScopedValueRollback<bool> releasing(m_bReleasing, true);
            m_session.AbandonRunning();
            link.Release();
            return;
        }
        const quint32 itemData = m_controls.SelectedConnection().itemData;
        if (!CConnectionList::IsHardwareConnection(itemData))
            return;
        qint32 family = 0;
        qint32 subfamily = 0;
        const CResult created = link.Create(CConnectionList::BoardIndexOf(itemData),
                                            CConnectionList::ProcessorIndexOf(itemData), family, subfamily);
        if (!created)
            theReporter().Report(created.Failure());
        m_doc.m_nFamily = link.Family();
        m_doc.m_nSubfamily = link.Subfamily();
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
    m_doc.SetModifiedFlag(wasModified || m_doc.GetStoredSchema() < CDocumentFields::kCurrentSchema);
    Refresh();
    m_controls.SetVisible(ControlId::Step3DoneIcon, false);
}

void CFormModel::FillControlsFromDocument()
{
    SetEditText(ControlId::HexCmdEdit, m_doc.m_strHexCmdFile);
    if (m_doc.m_nFlashBase != 0 || m_doc.m_nFlashSize != 0) {
        SetEditText(ControlId::FlashBaseEdit, QString::asprintf("0x%X", m_doc.m_nFlashBase));
        SetEditText(ControlId::FlashSizeEdit, QString::asprintf("0x%X", m_doc.m_nFlashSize));
    }
    m_controls.SetChecked(ControlId::OverrideFlashCheck, m_doc.m_bOverrideFlash != 0);
    SetEditText(ControlId::BurnFileEdit, m_doc.m_strBurnFile);
    SetEditText(ControlId::ImageOffsetEdit, QString::asprintf("0x%X", m_doc.m_nImageOffset));
    // The boxes show the document's flags whatever the processor: the one for
    // the boot address only greys while the processor is not a 54x.
    m_controls.SetChecked(ControlId::VerifyWriteCheck, m_doc.m_bVerifyWrite != 0);
    m_controls.SetChecked(ControlId::WriteBootAddrCheck, m_doc.m_bWriteBootAddr != 0);
}

void CFormModel::ExamineConnections()
{
    CConnectionList list;
    Guarded([this, &list] {
        if (const CResult examined = list.Examine(Link()); !examined)
            theReporter().Report(examined.Failure());
    });
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
        m_download.StartAutomatic();
        return true;
    }
    if (!m_commandLineJob)
        return true;
    theReporter().Report(CFailure::Logged(QStringLiteral("Code Composer Studio is not Available\r\n")));
    return false;
}

// An unattended run without a target component to download would wait for ever.
bool CFormModel::UnattendedRunCanGoOn()
{
    if (!m_commandLineJob)
        return true;
    theReporter().Report(
        CFailure::Logged(QStringLiteral("No CVTC Program File is named in the Configuration Document.\r\n")));
    return false;
}

// ---- downloading the target component ----

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
    if (const CResult loaded = m_download.DownloadNow(path); !loaded)
        theReporter().Report(CFailure::Logged(QStringLiteral("Cannot load CVTC Program\r\n"), CFailure::Then::RunGoesOn)
                                 .CausedBy(loaded.Failure()));
    Refresh();
    theStatusText().SetStatusText(QString());
}

// ---- starting operations ----

CProgramJob CFormModel::ProgramJob() const
{
    CProgramJob job;
    job.imagePath = m_controls.Text(ControlId::BurnFileEdit);
    job.hexCommandFile = m_controls.Text(ControlId::HexCmdEdit);
    job.flashBase = ParseUnsigned(m_controls.Text(ControlId::FlashBaseEdit));
    job.flashSize = ParseUnsigned(m_controls.Text(ControlId::FlashSizeEdit));
    job.imageOffset = ParseUnsigned(m_controls.Text(ControlId::ImageOffsetEdit));
    job.verify = m_doc.m_bVerifyWrite != 0;
    job.changedOnly = m_bChangedOnly;
    job.writeBootAddress = m_doc.m_bWriteBootAddr != 0;
    job.subfamily = m_doc.m_nSubfamily;
    job.addressingUnit = m_session.Link().AddressingUnit();
    job.reverseByteOrder = m_session.Link().ReverseByteOrder();
    return job;
}

void CFormModel::StartErase()
{
    Refresh();
    m_controls.SetVisible(ControlId::Step3DoneIcon, false);
    m_session.StartErase(CEraseEstimate::kProgressSecondsWithoutEstimate);
    Refresh();
}

void CFormModel::StartProgramming()
{
    if (RefusesInvalidNumbers({ControlId::FlashBaseEdit, ControlId::FlashSizeEdit, ControlId::ImageOffsetEdit}))
        return;
    Refresh();
    m_controls.SetVisible(ControlId::Step3DoneIcon, false);
    m_session.StartProgram(ProgramJob());
    Refresh();
}

void CFormModel::StartSendUserFile(const QString &path)
{
    theStatusText().SetStatusText(QStringLiteral("Sending User File"));
    m_session.StartSendUserFile(path);
}

void CFormModel::StartViewFlash()
{
    if (RefusesInvalidNumbers({ControlId::FlashBaseEdit, ControlId::FlashSizeEdit}))
        return;
    CViewFlashJob job;
    job.flashBase = ParseUnsigned(m_controls.Text(ControlId::FlashBaseEdit));
    job.flashSize = ParseUnsigned(m_controls.Text(ControlId::FlashSizeEdit));
    job.subfamily = m_doc.m_nSubfamily;
    job.askEditSupport = !m_flashView;
    m_session.StartViewFlash(job);
}

void CFormModel::OnAbort()
{
    theStatusText().SetStatusText(QString::fromLatin1(kCanceled));
    m_session.RequestAbort();
}

// ---- what the session reports ----

void CFormModel::OnOperationEnded(FlashOperationKind operation, OperationOutcome outcome)
{
    switch (operation) {
    case FlashOperationKind::Handshake:
        if (outcome == OperationOutcome::Succeeded)
            OnHandshakeDone();
        break;
    case FlashOperationKind::Erase:
    case FlashOperationKind::Program: OnFlashWorkEnded(operation, outcome); break;
    case FlashOperationKind::ViewFlash:
        if (outcome == OperationOutcome::Succeeded)
            ShowFlashView();
        break;
    case FlashOperationKind::CommandLineRun:
        // The connection ends inside the run, so that a target that could not keep its state fails it.
        Guarded([this] { Link().Release(); });
        RequestMainWindowClose();
        break;
    default: break;
    }
    Refresh();
}

// A programmed flash gets step 3's mark; an aborted or failed erase or
// programming leaves a status text that stays.
void CFormModel::OnFlashWorkEnded(FlashOperationKind operation, OperationOutcome outcome)
{
    if (outcome == OperationOutcome::Succeeded) {
        m_controls.SetVisible(ControlId::Step3DoneIcon, operation == FlashOperationKind::Program);
        return;
    }
    m_controls.SetVisible(ControlId::Step3DoneIcon, false);
    // A target that no longer answers fails the download here, not the end of the operations.
    if (outcome == OperationOutcome::Aborted && !m_bReleasing) {
        Guarded([this] {
            if (const CResult loaded = m_download.DownloadNow(m_controls.Text(ControlId::CvtcFileEdit)); !loaded)
                theReporter().Report(loaded.Failure());
        });
    }
    const bool programming = operation == FlashOperationKind::Program;
    theStatusText().SetStatusText(outcome == OperationOutcome::Aborted ? QString::fromLatin1(kCanceled)
                                  : programming ? QStringLiteral("Programming failed.")
                                                : QStringLiteral("Erase failed."));
}

void CFormModel::OnHandshakeDone()
{
    const CComponentFacts &facts = m_session.Facts();
    m_controls.SetText(ControlId::CvtcVersionEdit, facts.versionText);
    Reconcile(ControlId::FlashBaseEdit, facts.flashBase,
              "Document's Flash Base Address disagrees withTarget's Base Address.\nWould you like me to change "
              "Document\nfrom %lX to %lX to match the Hardware?");
    Reconcile(ControlId::FlashSizeEdit, facts.flashSize,
              "Document's Flash Memory Size disagrees withTarget's Memory Size.\nWould you like me to change "
              "Document\nfrom %lX to %lX to match the Hardware?");
    if (m_commandLineJob) {
        CCommandLineJob job = *m_commandLineJob;
        job.program = ProgramJob();
        m_session.StartCommandLineRun(job);
        return;
    }
    m_controls.SetVisible(ControlId::Step2DoneIcon, true);
    m_controls.SetText(ControlId::CvtcStatusEdit, QStringLiteral("(Connected)"));
}

void CFormModel::OnLinkLost()
{
    if (Link().IsCreated())
        Guarded([this] { Link().Release(); });
    Refresh();
}

void CFormModel::Reconcile(int fieldId, quint32 targetValue, const char *question)
{
    const QString text = m_controls.Text(fieldId);
    if (!text.isEmpty()) {
        const quint32 documentValue = ParseUnsigned(text);
        if (documentValue == targetValue)
            return;
        const QString asked = QString::asprintf(question, static_cast<unsigned long>(documentValue),
                                                static_cast<unsigned long>(targetValue));
        if (!thePrompter().AskYesNo(asked, true))
            return;
    }
    SetEditText(fieldId, QString::asprintf("0x%X", targetValue));
}

void CFormModel::ShowFlashView()
{
    if (!m_flashView && m_flashViewFactory) {
        m_flashView = m_flashViewFactory(m_session, m_doc.m_nFlashSize);
        m_flashView->SetEditSupport(m_session.Facts().editSupport);
    }
    if (m_flashView)
        m_flashView->ShowView(m_doc.GetTitle() + QLatin1String(" Flash Memory"));
}
