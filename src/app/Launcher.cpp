#include "Launcher.h"

#include "CommandLineInfo.h"
#include "CommandLineRun.h"
#include "CorvaneApp.h"
#include "ExitStatus.h"
#include "base/FailureReporter.h"
#include "base/FileName.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"
#include "base/SignalExit.h"
#include "base/StandardDescriptors.h"
#include "SingleInstance.h"
#include "UnattendedReporter.h"
#include "config/CorvaneDoc.h"
#include "config/TextConfig.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

QStringList ArgumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(CFileName::FromSystem(argv[i]));
    return arguments;
}

void PrintTo(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int CLauncher::Run(int argc, char **argv, const InteractiveStart &interactiveStart)
{
    CStandardDescriptors::OpenClosedOnes();
    // Standard error or output on a closed pipe fails the write, not the run.
    std::signal(SIGPIPE, SIG_IGN);
    CCorvaneCommandLineInfo info;
    info.Parse(ArgumentsOf(argc, argv));
    if (info.m_bHelp) {
        PrintTo(stdout, CCorvaneApp::UsageText());
        return ExitSuccess;
    }
    if (info.m_bVersion) {
        PrintTo(stdout, QStringLiteral("Corvane %1\n").arg(CCorvaneApp::GetFileVersionString()));
        return ExitSuccess;
    }
    if (info.m_bSaveAs && info.m_strSaveAsPath.isEmpty()) {
        PrintTo(stderr, QStringLiteral("--save-as needs the name of the new document.\n"));
        return ExitUsage;
    }
    if (info.m_bReport && info.m_strReportPath.isEmpty()) {
        PrintTo(stderr, QStringLiteral("--report needs the name of the report file.\n"));
        return ExitUsage;
    }
    if (const QString refusal = info.m_bTimeout ? CCorvaneApp::TimeoutRefusal(info.m_strTimeout) : QString();
        !refusal.isEmpty()) {
        PrintTo(stderr, refusal);
        return ExitUsage;
    }
    switch (theApp().ApplyCommandLine(info)) {
    case CCorvaneApp::StartMode::MissingDocument:
        thePrompter().ShowMessage(QStringLiteral("Command line invocation of Corvane must include a .cdd file."));
        return ExitUsage;
    case CCorvaneApp::StartMode::GenerateDummyHex:
        return RunUnattended(argc, argv, true);
    case CCorvaneApp::StartMode::CommandLineRun:
        InstallReporter(std::make_unique<CUnattendedReporter>());
        return RunUnattended(argc, argv, false);
    case CCorvaneApp::StartMode::ConfigConversion:
        InstallReporter(std::make_unique<CUnattendedReporter>());
        return RunConfigConversion(argc, argv);
    case CCorvaneApp::StartMode::Interactive:
        break;
    }
    return interactiveStart(argc, argv);
}

// A command-line run claims its connection itself (CCommandLineRun), so that
// runs on different boards go together; "-g" has no connection and stays the one copy.
int CLauncher::RunUnattended(int argc, char **argv, bool generate)
{
    QCoreApplication application(argc, argv);
    if (generate)
        return GenerateDummyHex();

    CSignalExit signalExit;
    QObject::connect(&signalExit, &CSignalExit::Received, &application, [](int signalNumber) {
        theLog.Add(CSignalExit::LogText(signalNumber));
        theApp().NoteFailureText(CSignalExit::LogText(signalNumber));
        theApp().MarkRunFailed();
        QCoreApplication::exit(ExitFailure);
    });
    return RunCommandLine();
}

int CLauncher::GenerateDummyHex()
{
    CSingleInstance instance;
    if (instance.Claim() == CSingleInstance::ClaimResult::AnotherCopyRunning) {
        PrintTo(stderr, QStringLiteral("Another copy of Corvane is running.\n"));
        return ExitFailure;
    }
    return theApp().GenerateDummyHex();
}

int CLauncher::RunCommandLine()
{
    return CCommandLineRun().Exec();
}

// Touches no target and no shared state, so it runs beside any other copy.
int CLauncher::RunConfigConversion(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    // Opening enters the document's folder; the new document's name counts from where the run started.
    const QString saveAsPath = theApp().SaveAsPath().isEmpty() ? QString() : CFileName::Absolute(theApp().SaveAsPath());
    CCorvaneDoc document;
    if (!theApp().OpenStartDocument(document) || theApp().RunFailed())
        return ExitFailure;
    if (!saveAsPath.isEmpty() && !document.OnSaveDocument(saveAsPath))
        return ExitFailure;
    if (theApp().PrintConfigRequested()) {
        QByteArray text;
        if (const CResult formatted = CTextConfig::Format(document, text); !formatted) {
            theReporter().Report(formatted.Failure());
            return ExitFailure;
        }
        if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size())
            || std::fflush(stdout) != 0) {
            ReportMessage(QStringLiteral("Cannot print the text configuration: %1.").arg(qt_error_string(errno)));
            return ExitFailure;
        }
    }
    return ExitSuccess;
}
