#pragma once

#include <QString>

#include <memory>

class IDspValue;

// The events of a processor. A backend delivers them from the event loop, never
// inside the call that caused them: Run and LoadProgram return first.
class IDspUserEvents {
public:
    virtual ~IDspUserEvents() = default;
    // A program load ended: `error` is empty when it succeeded, else says why not.
    virtual void OnLoadFinished(const QString &error) = 0;
    // The target halted at `location`, an address value (null when unknown).
    virtual void OnHalted(const std::shared_ptr<IDspValue> &location) = 0;
    // The running target can no longer be reached (its debugger connection closed); `reason` says how.
    virtual void OnTargetLost(const QString &reason) = 0;
};
