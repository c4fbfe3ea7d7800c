#pragma once

#include "Failure.h"

#include <memory>

// Reports failures where control entered from the event loop: the one place
// that writes them to the log, shows them or prints them, and ends the run
// when the failure says so. Which reporter is installed makes a run
// interactive or unattended.
class CFailureReporter {
public:
    virtual ~CFailureReporter() = default;
    // Reports the failure's causes, oldest first, then the failure.
    void Report(const CFailure &failure);
    // Whether the message log keeps what it holds instead of clearing it.
    virtual bool KeepsLog() const { return false; }

protected:
    virtual void Show(const CFailure &failure) = 0;
    // After the whole chain: what `then` means in this kind of run.
    virtual void Follow(CFailure::Then then) = 0;

private:
    void ShowWithCauses(const CFailure &failure);
};

// A user is present: log failures are added to the log and the log is shown,
// message failures are shown in a box; only ProgramEnds closes the window.
class CInteractiveReporter : public CFailureReporter {
protected:
    void Show(const CFailure &failure) override;
    void Follow(CFailure::Then then) override;
};

// The program-wide reporter; interactive until a run mode installs another.
CFailureReporter &theReporter();
// Installs a reporter and returns the previous one.
std::unique_ptr<CFailureReporter> InstallReporter(std::unique_ptr<CFailureReporter> reporter);

// Reports a failure after which the run goes on: added to the log, or in a plain message box.
void ReportLogged(const QString &text);
void ReportMessage(const QString &text);
