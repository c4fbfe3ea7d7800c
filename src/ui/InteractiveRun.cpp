#include "InteractiveRun.h"

#include "MainFrame.h"
#include "MessageBoxPrompter.h"
#include "WelcomeDlg.h"
#include "app/CorvaneApp.h"
#include "app/ExitStatus.h"
#include "app/SingleInstance.h"

#include <QApplication>

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

} // namespace

int CInteractiveRun::Exec(int &argc, char **argv)
{
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
    std::unique_ptr<CPrompter> consolePrompter = InstallPrompter(std::make_unique<CMessageBoxPrompter>());

    int status = ExitSuccess;
    {
        CMainFrame frame;
        QGuiApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(&frame, &CMainFrame::Closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
        QObject::connect(&instance, &CSingleInstance::ActivationRequested, &frame, &CMainFrame::Activate);
        theApp().SetCloseRequestHandler(
            [&frame] { QMetaObject::invokeMethod(&frame, &QWidget::close, Qt::QueuedConnection); });

        if (OpenStartDocument(frame)) {
            frame.show();
            if (theApp().ValueCount() == 0) {
                CWelcomeDlg welcome(frame.RecentDisplayNames(), [&frame](int command) { frame.PostCommand(command); },
                                    &frame);
                welcome.exec();
            }
            status = QApplication::exec();
        } else {
            status = ExitFailure;
        }
        theApp().SetCloseRequestHandler({});
    }
    InstallPrompter(std::move(consolePrompter));
    return status;
}
