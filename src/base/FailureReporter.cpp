#include "FailureReporter.h"

#include "CloseRequest.h"
#include "MessageLog.h"
#include "ProgramWide.h"
#include "Prompter.h"

void CFailureReporter::Report(const CFailure &failure)
{
    ShowWithCauses(failure);
    Follow(failure.then);
}

void CFailureReporter::ShowWithCauses(const CFailure &failure)
{
    if (failure.cause)
        ShowWithCauses(*failure.cause);
    if (!failure.text.isEmpty())
        Show(failure);
}

void CInteractiveReporter::Show(const CFailure &failure)
{
    if (failure.shown == CFailure::Shown::InLog)
        theLog.AddAndShow(failure.text);
    else
        thePrompter().ShowMessage(failure.text);
}

void CInteractiveReporter::Follow(CFailure::Then then)
{
    if (then == CFailure::Then::ProgramEnds)
        RequestMainWindowClose();
}

CFailureReporter &theReporter()
{
    return CProgramWide<CFailureReporter, CInteractiveReporter>::Get();
}

std::unique_ptr<CFailureReporter> InstallReporter(std::unique_ptr<CFailureReporter> reporter)
{
    return CProgramWide<CFailureReporter, CInteractiveReporter>::Install(std::move(reporter));
}

void ReportLogged(const QString &text)
{
    theReporter().Report(CFailure::Logged(text, CFailure::Then::RunGoesOn));
}

void ReportMessage(const QString &text)
{
    theReporter().Report(CFailure::Message(text, CFailure::Then::RunGoesOn));
}
