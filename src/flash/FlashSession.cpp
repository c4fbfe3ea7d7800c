#include "FlashSession.h"

#include "CommandLineSequence.h"
#include "EraseOperation.h"
#include "HandshakeOperation.h"
#include "ProgramOperation.h"
#include "ReadPageOperation.h"
#include "SaveFlashDataOperation.h"
#include "SendUserFileOperation.h"
#include "TranslateAddressesOperation.h"
#include "ViewFlashOperation.h"
#include "WriteLocationOperation.h"
#include "base/FailureReporter.h"
#include "base/MessageLog.h"
#include "base/TickClock.h"
#include "debugger/AutomationError.h"
#include "debugger/TargetLink.h"

#include <limits>

namespace {
// Operations that start with an empty message log unless it is kept.
bool ClearsLog(FlashOperationKind kind)
{
    return kind == FlashOperationKind::Erase || kind == FlashOperationKind::Program
        || kind == FlashOperationKind::ViewFlash;
}
} // namespace

CFlashSession::CFlashSession(std::unique_ptr<CTargetLink> link, FlashTimerPeriods periods)
    : m_link(std::move(link))
    , m_handshake(std::make_unique<CHandshakeOperation>(static_cast<COperationHost &>(*this)))
    , m_erase(std::make_unique<CEraseOperation>(static_cast<COperationHost &>(*this)))
    , m_program(std::make_unique<CProgramOperation>(static_cast<COperationHost &>(*this)))
    , m_sendUserFile(std::make_unique<CSendUserFileOperation>(static_cast<COperationHost &>(*this)))
    , m_saveFlashData(std::make_unique<CSaveFlashDataOperation>(static_cast<COperationHost &>(*this)))
    , m_viewFlash(std::make_unique<CViewFlashOperation>(static_cast<COperationHost &>(*this)))
    , m_commandLine(std::make_unique<CCommandLineSequence>(static_cast<COperationHost &>(*this), *m_erase, *m_program, *m_saveFlashData, *m_sendUserFile))
    , m_translateAddresses(std::make_unique<CTranslateAddressesOperation>(static_cast<COperationHost &>(*this)))
    , m_readPage(std::make_unique<CReadPageOperation>(static_cast<COperationHost &>(*this)))
    , m_writeLocation(std::make_unique<CWriteLocationOperation>(static_cast<COperationHost &>(*this)))
{
    m_nAnswerSecondMs = periods.answerSecondMs;
    m_link->SetLostHandler([this] { emit LinkLost(); });
    m_eraseTimer.setInterval(periods.eraseProgressMs);
    m_programTimer.setInterval(periods.programAbortMs);
    connect(&m_eraseTimer, &QTimer::timeout, this, [this] { OnTick(kEraseTimerId); });
    connect(&m_programTimer, &QTimer::timeout, this, [this] { OnTick(kProgramTimerId); });
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] {
        Fail(CFailure::Logged(
            QString::asprintf("Target did not answer within %d seconds.\r\n", m_nAnswerTimeoutSeconds)));
        emit Halted();
    });
}

CFlashSession::~CFlashSession()
{
    m_link->ForgetNotifyWindow(this);
}

FlashOperationKind CFlashSession::Running() const
{
    return m_running.last()->Kind();
}

// ---- starting operations ----

bool CFlashSession::Begin(CFlashOperation &operation)
{
    if (!IsIdle())
        return false;
    Guarded([&] { Launch(operation); });
    return true;
}

void CFlashSession::Launch(CFlashOperation &operation)
{
    if (!m_bKeepLog && ClearsLog(operation.Kind()))
        theLog.Clear();
    m_link->SetNotifyWindow(this);
    m_running.append(&operation);
    emit OperationStarted(operation.Kind());
    operation.Start();
}

bool CFlashSession::StartHandshake(qint32 subfamily)
{
    m_handshake->SetSubfamily(subfamily);
    return Begin(*m_handshake);
}

bool CFlashSession::StartErase(int waitWithoutEstimate)
{
    m_erase->SetWaitWithoutEstimate(waitWithoutEstimate);
    return Begin(*m_erase);
}

bool CFlashSession::StartProgram(const CProgramJob &job)
{
    m_program->SetJob(job);
    return Begin(*m_program);
}

bool CFlashSession::StartSendUserFile(const QString &path)
{
    m_sendUserFile->SetPath(path);
    return Begin(*m_sendUserFile);
}

bool CFlashSession::StartViewFlash(const CViewFlashJob &job)
{
    m_viewFlash->SetJob(job);
    return Begin(*m_viewFlash);
}

bool CFlashSession::StartCommandLineRun(const CCommandLineJob &job)
{
    m_commandLine->SetJob(job);
    return Begin(*m_commandLine);
}

bool CFlashSession::TranslateAddresses(const QList<quint32> &offsets,
                                       std::function<void(std::optional<QList<quint32>>)> done)
{
    if (!IsIdle())
        return false;
    m_translateAddresses->SetOffsets(offsets);
    m_viewRequestDone = [this, done](bool succeeded) {
        done(succeeded ? std::optional(m_translateAddresses->Addresses()) : std::nullopt);
    };
    return Begin(*m_translateAddresses);
}

bool CFlashSession::ReadPage(quint32 start, int bytes, std::function<void(std::optional<QByteArray>)> done)
{
    if (!IsIdle())
        return false;
    m_readPage->SetPage(start, bytes);
    m_viewRequestDone = [this, done](bool succeeded) {
        done(succeeded ? std::optional(m_readPage->Bytes()) : std::nullopt);
    };
    return Begin(*m_readPage);
}

bool CFlashSession::WriteLocation(quint32 pageStart, const QByteArray &page, std::function<void(bool)> done)
{
    if (!IsIdle())
        return false;
    m_writeLocation->SetPage(pageStart, page);
    m_viewRequestDone = std::move(done);
    return Begin(*m_writeLocation);
}

// ---- the halt notification and the timers ----

void CFlashSession::OnCommMessage()
{
    m_answerTimer.stop();
    if (!IsIdle())
        m_running.last()->OnHalt();
    emit Halted();
}

// The error was reported where it was caught; the operation ends without a further text.
void CFlashSession::OnCommFailure(const CAutomationError &)
{
    Fail(CFailure::Logged(QString()));
    emit Halted();
}

void CFlashSession::Guarded(const std::function<void()> &call)
{
    RunAtEventLoopBoundary(call, [this](const CAutomationError &error) { OnCommFailure(error); });
}

QTimer *CFlashSession::TimerOf(FlashOperationKind kind)
{
    switch (kind) {
    case FlashOperationKind::Erase: return &m_eraseTimer;
    case FlashOperationKind::Program: return &m_programTimer;
    default: return nullptr;
    }
}

void CFlashSession::OnTick(int timerId)
{
    const FlashOperationKind kind =
        timerId == kEraseTimerId ? FlashOperationKind::Erase : FlashOperationKind::Program;
    if (IsIdle() || Running() != kind)
        return;
    Guarded([this] { m_running.last()->OnTick(); });
    emit Halted();
}

bool CFlashSession::IsTimerActive(int timerId) const
{
    return (timerId == kEraseTimerId ? m_eraseTimer : m_programTimer).isActive();
}

void CFlashSession::StopTimer(int timerId)
{
    (timerId == kEraseTimerId ? m_eraseTimer : m_programTimer).stop();
}

// ---- COperationHost ----

bool CFlashSession::Transported(const CResult &result)
{
    if (result)
        return true;
    Fail(result.Failure());
    return false;
}

bool CFlashSession::SendHeader(const CommMessage &request, int extraWaitSeconds)
{
    ArmAnswerTimeout(extraWaitSeconds);
    return Transported(m_link->SendHeader(request));
}

bool CFlashSession::SendMessage(const CommMessage &request)
{
    ArmAnswerTimeout(0);
    return Transported(m_link->SendMessage(request));
}

bool CFlashSession::ResumeTarget()
{
    ArmAnswerTimeout(0);
    m_link->Resume();
    return true;
}

bool CFlashSession::ReceiveHeader(CommMessage &answer)
{
    return Transported(m_link->ReceiveHeader(answer));
}

bool CFlashSession::ReceiveMessage(CommMessage &answer)
{
    m_link->SetMaxDataBytes(m_facts.maxDataBytes);
    return Transported(m_link->ReceiveMessage(answer));
}

void CFlashSession::ArmAnswerTimeout(int extraWaitSeconds)
{
    if (m_nAnswerTimeoutSeconds <= 0)
        return;
    // The timer takes an int of milliseconds; a long erase estimate on top of a long time-out stops there.
    const qint64 ms = (qint64(m_nAnswerTimeoutSeconds) + extraWaitSeconds) * m_nAnswerSecondMs;
    m_answerTimer.start(int(qMin<qint64>(ms, std::numeric_limits<int>::max())));
}

void CFlashSession::Continue()
{
    m_answerTimer.stop();
    m_running.last()->OnHalt();
}

void CFlashSession::Record(const QString &text)
{
    theLog.Add(text);
}

quint32 CFlashSession::Now() const
{
    return theTickClock().Now();
}

void CFlashSession::Report(const CProgressEvent &event)
{
    if (event.bar != CProgressEvent::Bar::Unchanged)
        m_pProgressBy = event.bar == CProgressEvent::Bar::Shown ? m_running.value(m_running.size() - 1) : nullptr;
    emit Progress(event);
}

void CFlashSession::SetAbortable(bool abortable)
{
    if (abortable)
        m_bAbortRequested = false;
    m_pAbortableBy = abortable ? m_running.value(m_running.size() - 1) : nullptr;
    emit AbortableChanged(abortable);
}

void CFlashSession::StartTicks()
{
    if (QTimer *timer = TimerOf(Running()))
        timer->start();
}

void CFlashSession::RunChild(CFlashOperation &child)
{
    Launch(child);
}

void CFlashSession::Succeed()
{
    CFlashOperation *ended = m_running.takeLast();
    CFlashOperation *parent = IsIdle() ? nullptr : m_running.last();
    End(*ended, OperationOutcome::Succeeded);
    if (parent)
        parent->OnChildSucceeded();
}

void CFlashSession::Fail(const CFailure &failure)
{
    CFailure reported = failure;
    for (qsizetype i = m_running.size() - 2; i >= 0; --i)
        reported = m_running[i]->ChildFailure(reported);
    theReporter().Report(reported);
    EndAll(OperationOutcome::Failed);
}

void CFlashSession::Abandon()
{
    EndAll(OperationOutcome::Aborted);
}

// Innermost first: a parent ends after its children.
void CFlashSession::EndAll(OperationOutcome outcome)
{
    m_answerTimer.stop();
    const QList<CFlashOperation *> ended = std::exchange(m_running, {});
    for (auto it = ended.crbegin(); it != ended.crend(); ++it)
        End(**it, outcome);
}

void CFlashSession::End(CFlashOperation &operation, OperationOutcome outcome)
{
    operation.Release();
    if (QTimer *timer = TimerOf(operation.Kind()))
        timer->stop();
    if (m_pAbortableBy == &operation)
        SetAbortable(false);
    if (m_pProgressBy == &operation) {
        m_pProgressBy = nullptr;
        emit Progress(CProgressEvent::Hidden(operation.Kind()));
    }
    if (IsFlashViewRequest(operation.Kind()) && m_viewRequestDone)
        std::exchange(m_viewRequestDone, {})(outcome == OperationOutcome::Succeeded);
    emit OperationEnded(operation.Kind(), outcome);
}
