#include "UnattendedReporter.h"

#include "CorvaneApp.h"
#include "base/CloseRequest.h"
#include "base/MessageLog.h"
#include "base/Prompter.h"

void CUnattendedReporter::Show(const CFailure &failure)
{
    theApp().NoteFailureText(failure.text);
    if (failure.shown == CFailure::Shown::InLog)
        theLog.Add(failure.text);
    else
        thePrompter().ShowMessage(failure.text);
}

void CUnattendedReporter::Follow(CFailure::Then then)
{
    theApp().MarkRunFailed();
    m_bFailed = true;
    if (then != CFailure::Then::RunGoesOn)
        RequestMainWindowClose();
}
