#pragma once

#include "CommandLineInfo.h"
#include "RunOptions.h"

#include <QString>

#include <functional>
#include <limits>
#include <optional>

class CCorvaneDoc;

// The application object: the options of the run, fixed once start-up has
// read them from the command line, and the outcome of an unattended run.
class CCorvaneApp {
public:
    enum class StartMode {
        Interactive,       // windows, the user drives
        CommandLineRun,    // "-c"/"-q" with a document
        GenerateDummyHex,  // "-g"
        MissingDocument,   // "-c"/"-q" without a document
        ConfigConversion,  // --print-config or --save-as: the document printed or saved, no target
    };

    // Start-up: takes the options from a parsed command line and decides the mode.
    StartMode ApplyCommandLine(const CCorvaneCommandLineInfo &info);
    const CRunOptions &Options() const { return m_options; }
    // The "-g" run: writes "DummyHex.hex" from the three values; returns the exit status.
    int GenerateDummyHex() const;
    // Opens the start's document in `document`: a new one with "-t", else the
    // one named on the command line. False when there is none or it cannot be opened.
    bool OpenStartDocument(CCorvaneDoc &document) const;

    bool IsInteractive() const { return m_options.interactive; }
    bool EraseRequested() const { return m_options.eraseRequested; }
    bool SaveFlashRequested() const { return m_options.saveFlashRequested; }
    quint32 SaveFlashStart() const { return m_options.saveFlashStart; }
    quint32 SaveFlashLength() const { return m_options.saveFlashLength; }
    bool UseTextConfig() const { return m_options.textConfigPath.has_value(); }
    QString TextConfigPath() const { return m_options.textConfigPath.value_or(QString()); }
    bool IsVerbose() const { return m_options.verbose; }
    QString FurtherFile(int index) const { return m_options.FurtherFile(index); }
    int FurtherFileCount() const { return m_options.FurtherFileCount(); }
    // The document the start opens ("-t": the text configuration), and how.
    QString DocumentPath() const { return m_options.documentPath; }
    CCorvaneCommandLineInfo::ShellCommand ShellCommand() const { return m_options.shellCommand; }
    int ValueCount() const { return int(m_options.values.size()); }
    bool PrintConfigRequested() const { return m_options.printConfigRequested; }
    QString SaveAsPath() const { return m_options.saveAsPath; }
    // Seconds a command-line run waits for each answer of the target; 0 waits forever.
    int AnswerTimeoutSeconds() const { return m_options.answerTimeoutSeconds; }
    // The largest time-out whose milliseconds the answer timer takes.
    static constexpr int kMaxAnswerTimeoutSeconds = std::numeric_limits<int>::max() / 1000;
    bool ChangedOnly() const { return m_options.changedOnly; }
    QString ReportPath() const { return m_options.reportPath; }
    // The seconds of "--timeout": decimal digits, 0 for no limit, at most
    // kMaxAnswerTimeoutSeconds; nothing for other text.
    static std::optional<int> TimeoutSeconds(const QString &text);
    // Why "--timeout" refuses `text`, as a line for standard error; empty when it takes it.
    static QString TimeoutRefusal(const QString &text);

    // Unattended runs: a failure anywhere makes the exit status 1.
    void MarkRunFailed() { m_bRunFailed = true; }
    bool RunFailed() const { return m_bRunFailed; }
    // The texts of the failures an unattended run reported, in order, for its report.
    void NoteFailureText(const QString &text) { m_strFailureText += text; }
    QString FailureText() const { return m_strFailureText; }
    // The command-line sequence reached its end.
    void MarkRunCompleted() { m_bRunCompleted = true; }
    bool RunCompleted() const { return m_bRunCompleted; }
    // Asks the main window to close; the run then ends and the log is written.
    void SetCloseRequestHandler(std::function<void()> handler);
    void RequestMainWindowClose() const;

    static QString GetFileVersionString();
    static QString UsageText();

private:
    CRunOptions m_options;
    bool m_bRunFailed = false;
    bool m_bRunCompleted = false;
    QString m_strFailureText;
};

// The program's one application object.
CCorvaneApp &theApp();
