#include "CommandLineRun.h"

#include "ConnectionRunLock.h"
#include "CorvaneApp.h"
#include "ExitStatus.h"
#include "RunReport.h"
#include "TerminalProgress.h"
#include "base/FailureReporter.h"
#include "base/FileName.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "form/FormModel.h"

#include <QCoreApplication>
#include <QTimer>

int CCommandLineRun::Exec()
{
    // Opening the document enters its folder: the names given count from where the run started.
    const QString reportPath = theApp().ReportPath().isEmpty() ? QString() : CFileName::Absolute(theApp().ReportPath());
    CRunReport report(reportPath);
    report.SetDocument(CFileName::Absolute(theApp().DocumentPath()));
    const int status = Run(report);
    if (!report.IsWanted())
        return status;
    if (const QString reason = report.Write(status, theApp().FailureText()); !reason.isEmpty()) {
        ReportLogged(QStringLiteral("Cannot write the run report.\r\n") + CFileName::ReasonLine(reportPath, reason));
        return ExitFailure;
    }
    return status;
}

int CCommandLineRun::Run(CRunReport &report)
{
    CCorvaneDoc document;
    // A text configuration with errors is reported while it is read; such a run ends before it connects.
    if (!theApp().OpenStartDocument(document) || theApp().RunFailed()) {
        theApp().MarkRunFailed();
        return ExitFailure;
    }
    report.SetConnection(document.m_strConnection);
    CConnectionRunLock connectionLock;
    if (connectionLock.Claim(document.m_strConnection) == CConnectionRunLock::ClaimResult::Busy) {
        ReportMessage(QStringLiteral("Another copy of Corvane is running."));
        return ExitFailure;
    }
    bool closeRequested = false;
    theApp().SetCloseRequestHandler([&closeRequested] {
        closeRequested = true;
        QCoreApplication::exit(ExitSuccess);
    });
    {
        CFormModel form(document);
        form.SetCommandLineJob(CommandLineJob());
        form.SetKeepLog(theApp().IsVerbose());
        form.SetCheck(ControlId::ChangedOnlyCheck, theApp().ChangedOnly());
        form.Session().SetAnswerTimeout(theApp().AnswerTimeoutSeconds());
        report.Watch(form.Session());
        QObject::connect(&form.Session(), &CFlashSession::OperationEnded,
                         [](FlashOperationKind operation, OperationOutcome outcome) {
                             if (operation == FlashOperationKind::CommandLineRun
                                 && outcome == OperationOutcome::Succeeded)
                                 theApp().MarkRunCompleted();
                         });
        CTerminalProgress progress(form.Session());
        form.InitialDisplay();
        if (!closeRequested)
            QCoreApplication::exec();
        report.SetTarget(form.Session().Facts());
    }
    theApp().SetCloseRequestHandler({});
    return theApp().RunFailed() || !theApp().RunCompleted() ? ExitFailure : ExitSuccess;
}

// The work the command line asks for; the form adds its programming job.
CCommandLineJob CCommandLineRun::CommandLineJob()
{
    const CCorvaneApp &app = theApp();
    CCommandLineJob job;
    job.erase = app.EraseRequested();
    job.saveFlash = app.SaveFlashRequested();
    job.saveFlashStart = app.SaveFlashStart();
    job.saveFlashLength = app.SaveFlashLength();
    for (int i = 0; i < app.FurtherFileCount(); ++i)
        job.furtherFiles.append(app.FurtherFile(i));
    return job;
}
