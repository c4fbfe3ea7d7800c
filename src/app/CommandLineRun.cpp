#include "CommandLineRun.h"

#include "CorvaneApp.h"
#include "ExitStatus.h"
#include "TerminalProgress.h"
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
        form.SetAnswerTimeout(theApp().AnswerTimeoutSeconds());
        CTerminalProgress progress(form);
        form.InitialDisplay();
        if (!closeRequested)
            QCoreApplication::exec();
    }
    theApp().SetCloseRequestHandler({});
    document.OnCloseDocument();
    return theApp().RunFailed() || !theApp().RunCompleted() ? ExitFailure : ExitSuccess;
}
