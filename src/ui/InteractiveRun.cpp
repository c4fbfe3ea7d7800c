#include "InteractiveRun.h"

#include "MainFrame.h"
#include "MessageBoxPrompter.h"
#include "WelcomeDlg.h"
#include "app/CorvaneApp.h"
#include "app/ExitStatus.h"
#include "base/MessageLog.h"
#include "base/SignalExit.h"
#include "app/SingleInstance.h"
#include "debugger/sim/SimMonitor.h"

#include <QApplication>

#include <cstdio>

namespace {

// Carries out the start's shell command; false when the named document cannot be opened.
bool OpenStartDocument(CMainFrame &frame)
{
    switch (theApp().ShellCommand()) {
    case CCorvaneCommandLineInfo::ShellCommand::FileOpen: return frame.OpenDocument(theApp().DocumentPath());
    case CCorvaneCommandLineInfo::ShellCommand::FileNew: return frame.NewDocument();
    case CCorvaneCommandLineInfo::ShellCommand::FileNothing: break;
    }
    return true;
}

// The main window's life: the start's document, the start-up dialog when no
// document is named, then the event loop until the window closes.
int RunMainWindow(const CSingleInstance &instance, const bool &signalled)
{
    CMainFrame frame;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&frame, &CMainFrame::Closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&instance, &CSingleInstance::ActivationRequested, &frame, &CMainFrame::Activate);
    theApp().SetCloseRequestHandler([&frame] { QMetaObject::invokeMethod(&frame, &QWidget::close, Qt::QueuedConnection); });
    int status = ExitFailure;
    if (OpenStartDocument(frame)) {
        frame.show();
        if (theApp().ValueCount() == 0) {
            CWelcomeDlg welcome(frame.RecentFiles().Paths(), [&frame](int command) { frame.PostCommand(command); },
                                &frame);
            welcome.exec();
        }
        status = signalled ? ExitFailure : QApplication::exec();
    }
    theApp().SetCloseRequestHandler({});
    return status;
}

// Qt ends the program abruptly when it finds no display to open windows on.
bool HasDisplay(int argc, char **argv)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0)
            return true;
    }
    return false;
}

} // namespace

int CInteractiveRun::Exec(int &argc, char **argv)
{
    if (!HasDisplay(argc, argv)) {
        std::fputs("Corvane: there is no display for the desktop window. Use \"corvane DOCUMENT -c\" for a run "
                   "without windows (see corvane --help).\n",
                   stderr);
        return ExitFailure;
    }
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));

    CSingleInstance instance;
    if (instance.Claim() == CSingleInstance::ClaimResult::AnotherCopyRunning) {
        CSingleInstance::ActivateRunningCopy();
        return ExitSuccess;
    }
    // SIGINT and SIGTERM end the program in order, so that the log file is still written.
    CSignalExit signalExit;
    bool signalled = false;
    QObject::connect(&signalExit, &CSignalExit::Received, &application, [&signalled](int signalNumber) {
        signalled = true;
        theLog.Add(CSignalExit::LogText(signalNumber));
        QCoreApplication::exit(ExitFailure);
    });
    // The simulator window lists the exchanges (the GDB window records while it is shown).
    theSimMonitor().SetRecordingExchanges(true);
    std::unique_ptr<CPrompter> consolePrompter = InstallPrompter(std::make_unique<CMessageBoxPrompter>());
    const int status = RunMainWindow(instance, signalled);
    InstallPrompter(std::move(consolePrompter));
    return status;
}
