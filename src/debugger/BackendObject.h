#pragma once

#include "AutomationError.h"

// `given` as the backend's own type: a value or block the backend made.
// Another backend's object is an invalid argument of `call`.
template <class Wanted, class Given>
Wanted &BackendObject(Given &given, const char *call)
{
    auto *own = dynamic_cast<Wanted *>(&given);
    if (!own)
        throw CAutomationError(CAutomationError::kInvalidArgument, QString::fromLatin1(call));
    return *own;
}
