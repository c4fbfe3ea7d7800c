#pragma once

#include <QString>
#include <QStringList>

// The command line of one start: the document framework's fields (document
// name and shell command) and the program's own switches.
//
// An argument starting with "-" (or "/", see IsSwitch) is a switch decided by
// its first letter in either case; whole-word options start with "--". Every
// argument after "-g" is a value; the argument after "--save-as" is its path
// unless it is a switch.
class CCorvaneCommandLineInfo {
public:
    enum class ShellCommand { FileNew, FileOpen, FileNothing };

    void Parse(const QStringList &arguments);

    // Whether an argument counts as a switch. "/" starts a switch only when the
    // rest holds no "/" and no ".", so that absolute paths stay arguments.
    static bool IsSwitch(const QString &argument);

    // Document framework
    QString m_strFileName;
    ShellCommand m_nShellCommand = ShellCommand::FileNew;

    // Program switches
    bool m_bBatch = false;
    bool m_bErase = false;
    bool m_bGenerate = false;
    bool m_bVerbose = false;
    bool m_bTextConfig = false;
    QStringList m_values;
    bool m_bSaveFlash = false;
    QString m_strSaveFlashStart;
    QString m_strSaveFlashLength;
    int m_nSaveFlashOwed = 0;
    bool m_bLogPath = false;
    QString m_strLogPath;

    // Whole-word options
    bool m_bHelp = false;
    bool m_bVersion = false;
    bool m_bConnections = false;
    bool m_bPrintConfig = false;
    bool m_bSaveAs = false;
    QString m_strSaveAsPath;  // empty after --save-as: the command line cannot run
    bool m_bTimeout = false;
    QString m_strTimeout;     // seconds to wait for each answer of the target
    bool m_bChangedOnly = false;
    bool m_bReport = false;
    QString m_strReportPath;  // empty after --report: the command line cannot run

    int ValueCount() const { return int(m_values.size()); }

private:
    void ParseSwitch(const QString &argument);
    void ParseLongOption(const QString &argument);
    void ParseValue(const QString &argument);

    // The next argument becomes `value` unless it is a switch; returns true.
    bool OweValue(QString &value);

    QString *m_pOwedOptionValue = nullptr;
};
