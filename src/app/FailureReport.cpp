#include "FailureReport.h"

#include "CorvaneApp.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"

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
