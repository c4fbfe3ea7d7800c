#pragma once

#include "flash/CommState.h"
#include "FlashViewHost.h"
#include "FormControls.h"
#include "FormRefresh.h"
#include "debugger/CommMessageReceiver.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class CAutomationError;
class CCorvaneDoc;
class CTargetLink;
class CommMessage;
class CHandshake;
class CEraseOperation;
class CProgramOperation;
class CSendUserFileOperation;
class CSaveFlashDataOperation;
class CCommandLineSequence;

// Periods of the form's timers in milliseconds; tests shorten them.
struct FormTimerPeriods {
    int eraseProgressMs = 1000;  // timer 1002
    int programAbortMs = 1000;   // timer 1003
    int autoDownloadMs = 100;    // timer 1004
};

// The main form without widgets: its controls, the rules that tie them to the
// document and the target link, and the operation state machine that runs one
// step per halt of the target. The desktop form shows it; a command-line run
// drives it without a display.
class CFormModel : public QObject, public ICommMessageReceiver {
    Q_OBJECT
public:
    static constexpr int kEraseTimerId = 1002;
    static constexpr int kProgramTimerId = 1003;
    static constexpr int kAutoDownloadTimerId = 1004;
    static constexpr quint32 kCvtcLoadTimeoutMs = 10000;

    explicit CFormModel(CCorvaneDoc &doc, FormTimerPeriods periods = {});
    ~CFormModel() override;

    CFormControls &Controls() { return m_controls; }
    const CFormControls &Controls() const { return m_controls; }
    CCorvaneDoc &Doc() { return m_doc; }
    CTargetLink &Link();
    CommState &State() { return m_state; }
    FormFacts Facts() const;
    void Refresh();
    bool IsCommandEnabled(int command) const;

    // The form's first display: fills the controls from the document, lists and
    // reconnects the document's connection, and starts the automatic download.
    void InitialDisplay();

    // User input
    void SetEditText(int id, const QString &text);
    void SetCheck(int id, bool checked);
    void SelectConnection(int index);
    void OnConnectButton();
    void OnDownloadCommand();
    void OnShowCodeComposer();
    void OnAbort();
    void StartErase();
    void StartProgramming();
    void StartViewFlash();
    void StartSendUserFile(const QString &path);

    void SetFlashViewFactory(FlashViewFactory factory) { m_flashViewFactory = std::move(factory); }
    // Command-line runs: fail when the target does not answer a request within this time (0: wait forever).
    void SetAnswerTimeout(int seconds) { m_nAnswerTimeoutSeconds = seconds; }

    // The halt notification: runs the next step of the running operation.
    void OnCommMessage() override;
    void OnCommFailure(const CAutomationError &error) override;

    // ---- for the operations ----
    void SelfNotify() { OnCommMessage(); }
    // Reports a failure, ends the operation, and closes an unattended run.
    void FailOperation(const QString &text);
    // Reports a failure that the step itself follows up; closes an unattended run.
    void ReportContinuingFailure(const QString &text);
    void RequestClose();
    // Sends a request and lets the target run; `extraWaitSeconds` lengthens the answer time-out.
    void SendHeader(const CommMessage &message, int extraWaitSeconds = 0);
    void SendMessage(const CommMessage &message);
    void ResumeTarget();
    void ReceiveHeader(CommMessage &message);
    void ReceiveMessage(CommMessage &message);
    void Register();
    void ClearLogUnlessVerbose();

    quint16 ProtocolId() const { return m_nProtocolId; }
    void SetProtocolId(quint16 id) { m_nProtocolId = id; }
    quint16 MaxBytes() const { return m_nMaxDataBytes; }
    void SetMaxDataWords(quint16 words);
    int EraseEstimate() const { return m_nEraseEstimate; }
    void SetEraseEstimate(int seconds) { m_nEraseEstimate = seconds; }
    bool IsCancelRequested() const { return m_bCancel; }
    void ShowAbortButton();
    void HideAbortButton();
    void StartTimer(int timerId);
    void StopTimer(int timerId);
    bool IsTimerActive(int timerId) const;
    // Bytes done by the running operation, for progress display.
    qint64 ProgressBytes() const { return m_nProgressBytes; }
    void SetProgressBytes(qint64 bytes);
    void StartHandshake();
    CSaveFlashDataOperation &SaveFlashData() { return *m_saveFlashData; }
    CSendUserFileOperation &SendUserFile() { return *m_sendUserFile; }

private:
    void FillControlsFromDocument();
    void ConnectDocumentConnection();
    void ExamineConnections();
    void CopySelectionToDocument();
    bool StartAutomaticDownload();
    bool UnattendedRunCanGoOn();
    // Runs a step entered from the event loop; a debugger failure fails the running operation.
    void Guarded(const std::function<void()> &step);
    void OnTimer(int timerId);
    void OnEraseTick();
    void OnProgramTick();
    void OnAutoDownloadTick();
    void DownloadAgainAfterAbort();
    bool LoadCvtc(const QString &path);
    void Dispatch();
    // Idle, with the abort button hidden and the operation timers stopped.
    void EndOperation();
    void StepMemoryView();
    void ArmAnswerTimeout(int extraWaitSeconds);
    void OnAnswerTimeout();
    QTimer *TimerFor(int timerId) const;

    CCorvaneDoc &m_doc;
    CFormControls m_controls;
    CommState m_state;
    bool m_bCancel = false;
    quint16 m_nProtocolId = 0;
    quint16 m_nMaxDataBytes = 0;
    quint16 m_nMaxDataWords = 0;
    int m_nEraseEstimate = 15;
    int m_nAutoDownloadAttempts = 0;
    int m_nDisconnectedIndex = -1;
    int m_nAnswerTimeoutSeconds = 0;
    quint32 m_nViewFlashBase = 0;
    quint32 m_nViewFlashSize = 0;
    qint64 m_nProgressBytes = 0;
    QString m_strDownloadedCvtc;
    std::unique_ptr<QTimer> m_eraseTimer;
    std::unique_ptr<QTimer> m_programTimer;
    std::unique_ptr<QTimer> m_autoDownloadTimer;
    QTimer m_answerTimer;
    FlashViewFactory m_flashViewFactory;
    std::unique_ptr<CFlashViewHost> m_flashView;

    std::unique_ptr<CHandshake> m_handshake;
    std::unique_ptr<CEraseOperation> m_erase;
    std::unique_ptr<CProgramOperation> m_program;
    std::unique_ptr<CSendUserFileOperation> m_sendUserFile;
    std::unique_ptr<CSaveFlashDataOperation> m_saveFlashData;
    std::unique_ptr<CCommandLineSequence> m_commandLine;
};
