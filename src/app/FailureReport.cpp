#include "FailureReport.h"

#include "CorvaneApp.h"
#include "MessageLog.h"

void ReportFailure(const QString &text)
{
    if (theApp().IsInteractive()) {
        theLog.AddAndShow(text);
        return;
    }
    theLog.Add(text);
    theApp().MarkRunFailed();
}
