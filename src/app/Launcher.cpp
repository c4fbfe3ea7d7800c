#include "Launcher.h"

#include "CommandLineInfo.h"
#include "CorvaneApp.h"
#include "ExitStatus.h"
#include "MessageLog.h"
#include "Prompter.h"
#include "SignalExit.h"
#include "SingleInstance.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

QStringList ArgumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
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
    switch (theApp().ApplyCommandLine(info)) {
    case CCorvaneApp::StartMode::MissingDocument:
        thePrompter().ShowMessage(QStringLiteral("Command line invocation of Corvane must include a .cdd file."));
        return ExitUsage;
    case CCorvaneApp::StartMode::GenerateDummyHex:
        return RunUnattended(argc, argv, true);
    case CCorvaneApp::StartMode::CommandLineRun:
        return RunUnattended(argc, argv, false);
    case CCorvaneApp::StartMode::Interactive:
        break;
    }
    return interactiveStart(argc, argv);
}

int CLauncher::RunUnattended(int argc, char **argv, bool generate)
{
    QCoreApplication application(argc, argv);
    CSingleInstance instance;
    if (instance.Claim() == CSingleInstance::ClaimResult::AnotherCopyRunning) {
        PrintTo(stderr, QStringLiteral("Another copy of Corvane is running.\n"));
        return ExitFailure;
    }
    if (generate)
        return theApp().GenerateDummyHex();

    CSignalExit signalExit;
    QObject::connect(&signalExit, &CSignalExit::Received, &application, [](int signalNumber) {
        theLog.Add(QStringLiteral("Run ended by signal %1.\r\n").arg(signalNumber));
        theApp().MarkRunFailed();
        QCoreApplication::exit(ExitFailure);
    });
    return RunCommandLine();
}

int CLauncher::RunCommandLine()
{
    thePrompter().ShowMessage(QStringLiteral("Command-line runs are not available in this build yet."));
    return ExitFailure;
}
