#include "CorvaneApp.h"

#include "ExitStatus.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"
#include "Version.h"
#include "base/CloseRequest.h"
#include "config/CorvaneDoc.h"
#include "config/NumberParsing.h"
#include "image/DummyHexWriter.h"

#include <algorithm>

using ShellCommand = CCorvaneCommandLineInfo::ShellCommand;

CCorvaneApp &theApp()
{
    static CCorvaneApp app;
    return app;
}

namespace {

using StartMode = CCorvaneApp::StartMode;

StartMode ReadConfigConversion(const CCorvaneCommandLineInfo &info, CRunOptions &options)
{
    if (options.shellCommand == ShellCommand::FileNothing)
        return StartMode::MissingDocument;
    options.interactive = false;
    options.printConfigRequested = info.m_bPrintConfig;
    options.saveAsPath = info.m_strSaveAsPath;
    return StartMode::ConfigConversion;
}

// Fills `options` as far as the start mode of `info` uses them and returns that mode.
StartMode ReadCommandLine(const CCorvaneCommandLineInfo &info, CRunOptions &options)
{
    options.values = info.m_values;
    options.verbose = info.m_bVerbose;
    if (info.m_bGenerate)
        return StartMode::GenerateDummyHex;

    if (info.m_bSaveFlash) {
        options.saveFlashRequested = true;
        options.saveFlashStart = ParseUnsigned(info.m_strSaveFlashStart);
        options.saveFlashLength = ParseUnsigned(info.m_strSaveFlashLength);
    }
    options.documentPath = info.m_strFileName;
    options.shellCommand = info.m_nShellCommand;
    if (info.m_bTextConfig) {
        options.shellCommand = ShellCommand::FileNew;
        options.textConfigPath = info.m_strFileName;
    } else if (options.shellCommand == ShellCommand::FileNew) {
        options.shellCommand = ShellCommand::FileNothing;
    }
    if (info.m_bPrintConfig || info.m_bSaveAs)
        return ReadConfigConversion(info, options);
    if (!info.m_bBatch)
        return StartMode::Interactive;
    if (options.shellCommand == ShellCommand::FileNothing)
        return StartMode::MissingDocument;
    options.interactive = false;
    options.eraseRequested = info.m_bErase;
    options.changedOnly = info.m_bChangedOnly;
    options.reportPath = info.m_strReportPath;
    if (info.m_bTimeout)
        options.answerTimeoutSeconds = CCorvaneApp::TimeoutSeconds(info.m_strTimeout).value_or(CRunOptions::kDefaultAnswerTimeoutSeconds);
    return StartMode::CommandLineRun;
}

} // namespace

CCorvaneApp::StartMode CCorvaneApp::ApplyCommandLine(const CCorvaneCommandLineInfo &info)
{
    theLog.SetPath(info.m_bLogPath ? info.m_strLogPath : QString());
    CRunOptions options;
    const StartMode mode = ReadCommandLine(info, options);
    m_options = std::move(options);
    return mode;
}

int CCorvaneApp::GenerateDummyHex() const
{
    const QStringList &values = m_options.values;
    if (values.size() != 3) {
        thePrompter().ShowMessage(QStringLiteral("Usage: Corvane -g addr datalength MAU\r\n"
                                                 "Corvane -g 0x8000 32768 2\r\n"
                                                 "Corvane -g 0x90000000 0x100 1\r\n"
                                                 "    Creates DummyHex.hex"));
        return ExitUsage;
    }
    const QString error = WriteDummyHex(QStringLiteral("DummyHex.hex"), ParseUnsigned(values[0]),
                                        ParseUnsigned(values[1]), ParseUnsigned(values[2]));
    if (!error.isEmpty()) {
        thePrompter().ShowMessage(error);
        thePrompter().ShowMessage(QStringLiteral("Failed to make DummyHex.hex."));
        return ExitFailure;
    }
    return ExitSuccess;
}

bool CCorvaneApp::OpenStartDocument(CCorvaneDoc &document) const
{
    switch (m_options.shellCommand) {
    case ShellCommand::FileNew: return document.OnNewDocument(m_options.textConfigPath);
    case ShellCommand::FileOpen: return document.OnOpenDocument(m_options.documentPath);
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

namespace {
bool IsDecimal(const QString &text)
{
    return !text.isEmpty()
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
} // namespace

std::optional<int> CCorvaneApp::TimeoutSeconds(const QString &text)
{
    bool ok = false;
    const qulonglong seconds = text.toULongLong(&ok, 10);
    if (!ok || !IsDecimal(text) || seconds > qulonglong(kMaxAnswerTimeoutSeconds))
        return std::nullopt;
    return int(seconds);
}

QString CCorvaneApp::TimeoutRefusal(const QString &text)
{
    if (TimeoutSeconds(text))
        return {};
    if (IsDecimal(text))
        return QStringLiteral("--timeout takes at most %1 seconds (about 24 days; 0 waits as long as the target takes).\n")
            .arg(kMaxAnswerTimeoutSeconds);
    return QStringLiteral("--timeout needs a number of seconds (0 waits as long as the target takes).\n");
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
        "FILES after DOCUMENT are taken in order: names containing .HEX or .DAT, or\n"
        "ending in .elf, .s19, .s28, .s37, .srec, .mot, .ihex, .ihx or .tek (any case),\n"
        "are programmed, .CMD files run the hex conversion utility, any other file\n"
        "(.bin and .txt too) is sent to the target component as a user file.\n"
        "\n"
        "  --print-config      print DOCUMENT (or the -t text configuration) as a text\n"
        "                      configuration and end\n"
        "  --save-as NEW.cdd   save DOCUMENT (or the -t text configuration) as NEW.cdd\n"
        "                      and end\n"
        "  --timeout SECONDS   with -c: fail when the target does not answer a request\n"
        "                      within SECONDS (default 30, at most %1; 0 waits as long\n"
        "                      as it takes)\n"
        "  --changed-only      with -c: read the flash back and write only the blocks\n"
        "                      that differ from the image\n"
        "  --report FILE.json  with -c: write a JSON report of the run to FILE.json\n"
        "  --help              show this text\n"
        "  --version           show the version\n"
        "  --connections       list the connections the setup file gives, and where they lead\n"
        "\n"
        "Exit status: 0 success, 1 failure (see the log file), 2 unusable command line.\n")
        .arg(kMaxAnswerTimeoutSeconds);
}
