#pragma once

#include "CommandLineInfo.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CCorvaneDoc;

// The application object: the settings taken from the command line, read-only
// once start-up has applied them, and the state of an unattended run.
class CCorvaneApp {
public:
    enum class StartMode {
        Interactive,       // windows, the user drives
        CommandLineRun,    // "-c"/"-q" with a document
        GenerateDummyHex,  // "-g"
        MissingDocument,   // "-c"/"-q" without a document
        ConfigConversion,  // --print-config or --save-as: the document printed or saved, no target
    };

    // Start-up: takes the settings from a parsed command line and decides the mode.
    StartMode ApplyCommandLine(const CCorvaneCommandLineInfo &info);
    // The "-g" run: writes "DummyHex.hex" from the three values; returns the exit status.
    int GenerateDummyHex() const;
    // Opens the start's document in `document`: a new one with "-t", else the
    // one named on the command line. False when there is none or it cannot be opened.
    bool OpenStartDocument(CCorvaneDoc &document) const;

    bool IsInteractive() const { return m_bInteractive; }
    bool EraseRequested() const { return m_bEraseRequested; }
    bool SaveFlashRequested() const { return m_bSaveFlashRequested; }
    quint32 SaveFlashStart() const { return m_nSaveFlashStart; }
    quint32 SaveFlashLength() const { return m_nSaveFlashLength; }
    bool UseTextConfig() const { return m_textConfigPath.has_value(); }
    QString TextConfigPath() const { return m_textConfigPath.value_or(QString()); }
    // The text configuration every new document reads: set with "-t", even when no file was named.
    const std::optional<QString> &TextConfig() const { return m_textConfigPath; }
    bool IsVerbose() const { return m_bVerbose; }
    QString FurtherFile(int index) const { return m_furtherFiles.value(index); }
    int FurtherFileCount() const { return m_nFurtherFileCount; }
    // The document the start opens ("-t": the text configuration), and how.
    QString DocumentPath() const { return m_strDocumentPath; }
    CCorvaneCommandLineInfo::ShellCommand ShellCommand() const { return m_nShellCommand; }
    int ValueCount() const { return int(m_values.size()); }
    bool PrintConfigRequested() const { return m_bPrintConfigRequested; }
    QString SaveAsPath() const { return m_strSaveAsPath; }
    // Seconds a command-line run waits for each answer of the target; 0 waits forever.
    int AnswerTimeoutSeconds() const { return m_nAnswerTimeoutSeconds; }
    static constexpr quint32 kMaxAnswerTimeoutSeconds = 24 * 3600;

    // Unattended runs: a failure anywhere makes the exit status 1.
    void MarkRunFailed() { m_bRunFailed = true; }
    bool RunFailed() const { return m_bRunFailed; }
    // The command-line sequence reached its end.
    void MarkRunCompleted() { m_bRunCompleted = true; }
    bool RunCompleted() const { return m_bRunCompleted; }
    // Asks the main window to close; the run then ends and the log is written.
    void SetCloseRequestHandler(std::function<void()> handler);
    void RequestMainWindowClose() const;

    static QString GetFileVersionString();
    static QString UsageText();

private:
    StartMode ApplyConfigConversion(const CCorvaneCommandLineInfo &info);

    bool m_bInteractive = true;
    bool m_bEraseRequested = false;
    bool m_bSaveFlashRequested = false;
    quint32 m_nSaveFlashStart = 0;
    quint32 m_nSaveFlashLength = 0;
    std::optional<QString> m_textConfigPath;
    bool m_bVerbose = false;
    QStringList m_values;
    QStringList m_furtherFiles;
    int m_nFurtherFileCount = -1;
    QString m_strDocumentPath;
    CCorvaneCommandLineInfo::ShellCommand m_nShellCommand = CCorvaneCommandLineInfo::ShellCommand::FileNew;
    bool m_bPrintConfigRequested = false;
    QString m_strSaveAsPath;
    int m_nAnswerTimeoutSeconds = 0;
    bool m_bRunFailed = false;
    bool m_bRunCompleted = false;
};

// The program's one application object.
CCorvaneApp &theApp();
