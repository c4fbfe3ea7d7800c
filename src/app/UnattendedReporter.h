#pragma once

#include "base/FailureReporter.h"

// No user is present: log failures are only added to the log, message
// failures go to standard error and the log, every failure fails the run, and
// all but RunGoesOn end it.
class CUnattendedReporter : public CFailureReporter {
protected:
    void Show(const CFailure &failure) override;
    void Follow(CFailure::Then then) override;
};
