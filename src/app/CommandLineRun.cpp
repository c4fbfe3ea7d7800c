#include "CommandLineRun.h"

#include "CorvaneApp.h"
#include "ExitStatus.h"
#include "TerminalProgress.h"
#include "config/ControlIds.h"
#include "config/CorvaneDoc.h"
#include "form/FormModel.h"

#include <QCoreApplication>
#include <QTimer>

int CCommandLineRun::Exec()
{
    CCorvaneDoc document;
    if (!theApp().OpenStartDocument(document)) {
        theApp().MarkRunFailed();
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
