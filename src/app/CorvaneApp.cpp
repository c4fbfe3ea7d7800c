#include "CorvaneApp.h"

#include "ExitStatus.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"
#include "Version.h"
#include "base/CloseRequest.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "image/DummyHexWriter.h"

using ShellCommand = CCorvaneCommandLineInfo::ShellCommand;

CCorvaneApp &theApp()
{
    static CCorvaneApp app;
    return app;
}

CCorvaneApp::StartMode CCorvaneApp::ApplyCommandLine(const CCorvaneCommandLineInfo &info)
{
    m_values = info.m_values;
    m_nFurtherFileCount = int(info.m_values.size()) - 1;
    m_bVerbose = info.m_bVerbose;
    theLog.SetPath(info.m_bLogPath ? info.m_strLogPath : QString());
    if (info.m_bGenerate)
        return StartMode::GenerateDummyHex;

    m_furtherFiles = info.m_values.mid(1);
    if (info.m_bSaveFlash) {
        m_bSaveFlashRequested = true;
        m_nSaveFlashStart = ParseUnsigned(info.m_strSaveFlashStart);
        m_nSaveFlashLength = ParseUnsigned(info.m_strSaveFlashLength);
    }
    m_strDocumentPath = info.m_strFileName;
    m_nShellCommand = info.m_nShellCommand;
    if (info.m_bTextConfig) {
        m_nShellCommand = ShellCommand::FileNew;
        m_textConfigPath = info.m_strFileName;
    } else if (m_nShellCommand == ShellCommand::FileNew) {
        m_nShellCommand = ShellCommand::FileNothing;
    }
    if (info.m_bPrintConfig || info.m_bSaveAs)
        return ApplyConfigConversion(info);
    if (!info.m_bBatch)
        return StartMode::Interactive;
    if (m_nShellCommand == ShellCommand::FileNothing)
        return StartMode::MissingDocument;
    m_bInteractive = false;
    m_bEraseRequested = info.m_bErase;
    m_nAnswerTimeoutSeconds = int(qMin<quint32>(ParseUnsigned(info.m_strTimeout), kMaxAnswerTimeoutSeconds));
    return StartMode::CommandLineRun;
}

CCorvaneApp::StartMode CCorvaneApp::ApplyConfigConversion(const CCorvaneCommandLineInfo &info)
{
    if (m_nShellCommand == ShellCommand::FileNothing)
        return StartMode::MissingDocument;
    m_bInteractive = false;
    m_bPrintConfigRequested = info.m_bPrintConfig;
    m_strSaveAsPath = info.m_strSaveAsPath;
    return StartMode::ConfigConversion;
}

int CCorvaneApp::GenerateDummyHex() const
{
    if (m_values.size() != 3) {
        thePrompter().ShowMessage(QStringLiteral("Usage: Corvane -g addr datalength MAU\r\n"
                                                 "Corvane -g 0x8000 32768 2\r\n"
                                                 "Corvane -g 0x90000000 0x100 1\r\n"
                                                 "    Creates DummyHex.hex"));
        return ExitUsage;
    }
    const QString error = WriteDummyHex(QStringLiteral("DummyHex.hex"), ParseUnsigned(m_values[0]),
                                        ParseUnsigned(m_values[1]), ParseUnsigned(m_values[2]));
    if (!error.isEmpty()) {
        thePrompter().ShowMessage(error);
        thePrompter().ShowMessage(QStringLiteral("Failed to make DummyHex.hex."));
        return ExitFailure;
    }
    return ExitSuccess;
}

bool CCorvaneApp::OpenStartDocument(CCorvaneDoc &document) const
{
    switch (m_nShellCommand) {
    case ShellCommand::FileNew: return document.OnNewDocument(m_textConfigPath);
    case ShellCommand::FileOpen: return document.OnOpenDocument(m_strDocumentPath);
    case ShellCommand::FileNothing: break;
    }
    return false;
}

void CCorvaneApp::SetCloseRequestHandler(std::function<void()> handler)
{
    ::SetCloseRequestHandler(std::move(handler));
}

void CCorvaneApp::RequestMainWindowClose() const
{
    ::RequestMainWindowClose();
}

QString CCorvaneApp::GetFileVersionString()
{
    return QStringLiteral(CORVANE_VERSION_STRING);
}

QString CCorvaneApp::UsageText()
{
    return QStringLiteral(
        "Usage: corvane [DOCUMENT] [SWITCHES] [FILES...]\n"
        "\n"
        "Programs the flash memory of DSP and ARM boards through a debugger connection.\n"
        "Without switches, opens the desktop window (with DOCUMENT, if given).\n"
        "\n"
        "Switches (\"-\" or \"/\", either case; only the first letter counts):\n"
        "  -c, -q              command-line run of DOCUMENT (a .cdd file): connect,\n"
        "                      download the target component, then program, erase or dump\n"
        "  -e                  erase the whole flash first (with -c)\n"
        "  -t                  DOCUMENT is a text configuration file\n"
        "  -v                  keep the message log across operations\n"
        "  -r START LENGTH     save the flash range to FlashData.txt instead of programming\n"
        "  -o LOG              write the log file to LOG (default LogCorvane.txt)\n"
        "  -g ADDR LENGTH MAU  write the dummy S-record file DummyHex.hex and end\n"
        "\n"
        "FILES after DOCUMENT are taken in order: names containing .HEX or .DAT are\n"
        "programmed, .CMD files run the hex conversion utility, any other file is sent\n"
        "to the target component as a user file.\n"
        "\n"
        "  --print-config      print DOCUMENT (or the -t text configuration) as a text\n"
        "                      configuration and end\n"
        "  --save-as NEW.cdd   save DOCUMENT (or the -t text configuration) as NEW.cdd\n"
        "                      and end\n"
        "  --timeout SECONDS   with -c: fail when the target does not answer in time\n"
        "  --help              show this text\n"
        "  --version           show the version\n"
        "\n"
        "Exit status: 0 success, 1 failure (see the log file), 2 unusable command line.\n");
}
