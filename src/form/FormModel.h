#pragma once

#include "ComponentDownload.h"
#include "FlashViewHost.h"
#include "FormControls.h"
#include "FormRefresh.h"
#include "flash/CommandLineJob.h"
#include "flash/FlashOperationKind.h"
#include "flash/FlashSession.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class CCorvaneDoc;
class CTargetLink;

// Periods of the form's timers in milliseconds; tests shorten them.
struct FormTimerPeriods {
    int eraseProgressMs = 1000;  // timer 1002
    int programAbortMs = 1000;   // timer 1003
    int autoDownloadMs = 100;    // timer 1004
    int answerSecondMs = 1000;   // one second of the answer time-out
};

// The main form without widgets: its controls, the rules that tie them to the
// document, the connection and download of the target component, and the
// turning of its fields into the flash session's jobs. The desktop form shows
// it; a command-line run drives it without a display.
class CFormModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kAutoDownloadTimerId = CComponentDownload::kTimerId;

    explicit CFormModel(CCorvaneDoc &doc, FormTimerPeriods periods = {});
    ~CFormModel() override;

    CFormControls &Controls() { return m_controls; }
    const CFormControls &Controls() const { return m_controls; }
    CCorvaneDoc &Doc() { return m_doc; }
    CFlashSession &Session() { return m_session; }
    CTargetLink &Link() { return m_session.Link(); }
    FormFacts Facts() const;
    void Refresh();
    bool IsCommandEnabled(int command) const;

    // An unattended run: after the handshake the form runs this job, and it ends the run.
    void SetCommandLineJob(const CCommandLineJob &job) { m_commandLineJob = job; }
    // "-v": the message log is kept over operations.
    void SetKeepLog(bool keep) { m_session.SetKeepLog(keep); }

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

    // The form's timer 1004 or one of the session's operation timers.
    bool IsTimerActive(int timerId) const;

    void SetFlashViewFactory(FlashViewFactory factory) { m_flashViewFactory = std::move(factory); }
    // The programming job the fields describe.
    CProgramJob ProgramJob() const;
    // The name of a number field as the form labels it; null for another control.
    static const char *NumberFieldName(int id);

private:
    void FillControlsFromDocument();
    // Tells the user and returns true when one of the fields holds no number.
    bool RefusesInvalidNumbers(std::initializer_list<int> fieldIds) const;
    void ConnectDocumentConnection();
    void ExamineConnections();
    void CopySelectionToDocument();
    bool StartAutomaticDownload();
    bool UnattendedRunCanGoOn();
    // Runs a command entered from the event loop; a debugger failure is reported.
    void Guarded(const std::function<void()> &command);
    void OnOperationEnded(FlashOperationKind operation, OperationOutcome outcome);
    void OnFlashWorkEnded(FlashOperationKind operation, OperationOutcome outcome);
    void OnHandshakeDone();
    // The connection lost its target: it is released and the form shows it disconnected.
    void OnLinkLost();
    // Asks whether to take the target's value when the field holds another one.
    void Reconcile(int fieldId, quint32 targetValue, const char *question);
    void ShowFlashView();

    CCorvaneDoc &m_doc;
    CFormControls m_controls;
    CFlashSession m_session;
    std::optional<CCommandLineJob> m_commandLineJob;
    CComponentDownload m_download;
    int m_nDisconnectedIndex = -1;
    bool m_bChangedOnly = false;
    bool m_bReleasing = false;    // the user's Disconnect ends the running operations  // "Changed blocks only": a setting of the user or the run, not of the document
    FlashViewFactory m_flashViewFactory;
    std::unique_ptr<CFlashViewHost> m_flashView;
};
