#pragma once

#include "ComponentFacts.h"
#include "FlashOperationKind.h"
#include "OperationHost.h"
#include "ProgressEvent.h"
#include "debugger/CommMessageReceiver.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class CAutomationError;
class CResult;
class CCommandLineSequence;
class CEraseOperation;
class CHandshakeOperation;
class CProgramOperation;
class CReadPageOperation;
class CSaveFlashDataOperation;
class CSendUserFileOperation;
class CTargetLink;
class CTranslateAddressesOperation;
class CViewFlashOperation;
class CWriteLocationOperation;
struct CCommandLineJob;
struct CProgramJob;
struct CViewFlashJob;

// Periods of the session's operation timers in milliseconds; tests shorten them.
struct FlashTimerPeriods {
    int eraseProgressMs = 1000;  // timer 1002
    int programAbortMs = 1000;   // timer 1003
    int answerSecondMs = 1000;   // one second of the answer time-out
};

// One connection's flash work: owns the target link and what the target
// component told about itself, runs one operation at a time and receives
// every halt of the target. Where control enters from the event loop (halts,
// timers, starts) it catches debugger failures and reports operation failures.
class CFlashSession : public QObject, public ICommMessageReceiver, private COperationHost {
    Q_OBJECT
public:
    static constexpr int kEraseTimerId = 1002;
    static constexpr int kProgramTimerId = 1003;

    explicit CFlashSession(std::unique_ptr<CTargetLink> link, FlashTimerPeriods periods = {});
    ~CFlashSession() override;

    CTargetLink &Link() { return *m_link; }
    const CTargetLink &Link() const override { return *m_link; }
    const CComponentFacts &Facts() const override { return m_facts; }
    // Keeps the message log over operations ("-v"); otherwise erasing, programming and the flash view empty it.
    void SetKeepLog(bool keep) { m_bKeepLog = keep; }
    // Fails an operation whose target does not answer a request within this time (0: waits for ever).
    void SetAnswerTimeout(int seconds) { m_nAnswerTimeoutSeconds = seconds; }

    bool IsIdle() const { return m_running.isEmpty(); }
    // The innermost running operation's kind; only valid while not idle.
    FlashOperationKind Running() const;
    CHandshakeOperation &Handshake() { return *m_handshake; }
    CEraseOperation &Erase() { return *m_erase; }
    CProgramOperation &Program() { return *m_program; }
    const CProgramOperation &Program() const { return *m_program; }
    const CSendUserFileOperation &SendUserFile() const { return *m_sendUserFile; }
    const CSaveFlashDataOperation &SaveFlashData() const { return *m_saveFlashData; }

    // Starting operations; each refuses (false) while another runs.
    bool StartHandshake(qint32 subfamily);
    // The erase may take `waitWithoutEstimate` seconds when the target component gives no estimate.
    bool StartErase(int waitWithoutEstimate);
    bool StartProgram(const CProgramJob &job);
    bool StartSendUserFile(const QString &path);
    bool StartViewFlash(const CViewFlashJob &job);
    bool StartCommandLineRun(const CCommandLineJob &job);
    // The flash view's requests; `done` gets the result, or nothing after a failure.
    bool TranslateAddresses(const QList<quint32> &offsets, std::function<void(std::optional<QList<quint32>>)> done);
    bool ReadPage(quint32 start, int bytes, std::function<void(std::optional<QByteArray>)> done);
    bool WriteLocation(quint32 pageStart, const QByteArray &page, std::function<void(bool written)> done);

    // The user's abort; the running operation's timer acts on it.
    void RequestAbort() { m_bAbortRequested = true; }
    // Ends the running operations at once, as aborted, without waiting for the target (a Disconnect).
    void AbandonRunning() { EndAll(OperationOutcome::Aborted); }
    // An erase or programming runs that the user may abort.
    bool IsAbortable() const { return m_pAbortableBy != nullptr; }
    bool IsTimerActive(int timerId) const;
    void StopTimer(int timerId);

    // The halt notification.
    void OnCommMessage() override;
    void OnCommFailure(const CAutomationError &error) override;

signals:
    void OperationStarted(FlashOperationKind operation);
    void Progress(const CProgressEvent &event);
    void OperationEnded(FlashOperationKind operation, OperationOutcome outcome);
    void AbortableChanged(bool abortable);
    // The link's connection lost its target; the running operations have failed.
    void LinkLost();
    // A halt of the target was handled (also while idle).
    void Halted();

private:
    // COperationHost
    CComponentFacts &FactsToUpdate() override { return m_facts; }
    bool SendHeader(const CommMessage &request, int extraWaitSeconds) override;
    bool SendMessage(const CommMessage &request) override;
    bool ResumeTarget() override;
    bool ReceiveHeader(CommMessage &answer) override;
    bool ReceiveMessage(CommMessage &answer) override;
    void Continue() override;
    void Report(const CProgressEvent &event) override;
    void Record(const QString &text) override;
    quint32 Now() const override;
    void SetAbortable(bool abortable) override;
    bool IsAbortRequested() const override { return m_bAbortRequested; }
    void StartTicks() override;
    void RunChild(CFlashOperation &child) override;
    void Succeed() override;
    void Fail(const CFailure &failure) override;
    void Abandon() override;

    bool Begin(CFlashOperation &operation);
    void Launch(CFlashOperation &operation);
    // Checks a transport call; a failure ends the running operations.
    bool Transported(const CResult &result);
    void ArmAnswerTimeout(int extraWaitSeconds);
    void EndAll(OperationOutcome outcome);
    // The one end of every operation: releases it, its timer, and the abort button and progress display it showed.
    void End(CFlashOperation &operation, OperationOutcome outcome);
    void OnTick(int timerId);
    // Runs a call entered from the event loop; a debugger failure fails the running operation.
    void Guarded(const std::function<void()> &call);
    QTimer *TimerOf(FlashOperationKind kind);

    std::unique_ptr<CTargetLink> m_link;
    CComponentFacts m_facts;
    QList<CFlashOperation *> m_running;
    bool m_bAbortRequested = false;
    const CFlashOperation *m_pAbortableBy = nullptr;  // the operation that showed the abort button
    const CFlashOperation *m_pProgressBy = nullptr;   // the operation that showed the progress display
    bool m_bKeepLog = false;
    int m_nAnswerTimeoutSeconds = 0;
    int m_nAnswerSecondMs;
    QTimer m_eraseTimer;
    QTimer m_programTimer;
    QTimer m_answerTimer;
    std::function<void(bool)> m_viewRequestDone;

    std::unique_ptr<CHandshakeOperation> m_handshake;
    std::unique_ptr<CEraseOperation> m_erase;
    std::unique_ptr<CProgramOperation> m_program;
    std::unique_ptr<CSendUserFileOperation> m_sendUserFile;
    std::unique_ptr<CSaveFlashDataOperation> m_saveFlashData;
    std::unique_ptr<CViewFlashOperation> m_viewFlash;
    std::unique_ptr<CCommandLineSequence> m_commandLine;
    std::unique_ptr<CTranslateAddressesOperation> m_translateAddresses;
    std::unique_ptr<CReadPageOperation> m_readPage;
    std::unique_ptr<CWriteLocationOperation> m_writeLocation;
};
