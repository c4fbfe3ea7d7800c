#include "FailureReport.h"

#include "CorvaneApp.h"
#include "MessageLog.h"
#include "Prompter.h"

void ReportFailure(const QString &text)
{
    if (theApp().IsInteractive()) {
        theLog.AddAndShow(text);
        return;
    }
    theLog.Add(text);
    theApp().MarkRunFailed();
}

void ShowFailure(const QString &text)
{
    thePrompter().ShowMessage(text);
    if (!theApp().IsInteractive())
        theApp().MarkRunFailed();
}
