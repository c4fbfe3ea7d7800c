#pragma once

#include "base/FailureReporter.h"

// No user is present: failures are added to the log (which an unattended run
// prints), message failures through the prompter; every failure fails the run,
// and all but RunGoesOn end it. The log of a failed run keeps every message.
class CUnattendedReporter : public CFailureReporter {
public:
    bool KeepsLog() const override { return m_bFailed; }

protected:
    void Show(const CFailure &failure) override;
    void Follow(CFailure::Then then) override;

private:
    bool m_bFailed = false;
};
