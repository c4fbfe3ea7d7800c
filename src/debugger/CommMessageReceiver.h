#pragma once

class CAutomationError;

// Receives the halt notification: the target component has answered and
// stopped at its breakpoint. Registered with CTargetLink::SetNotifyWindow; a
// receiver that may end before the link calls ForgetNotifyWindow first.
class ICommMessageReceiver {
public:
    virtual ~ICommMessageReceiver() = default;
    // The next step of the running exchange.
    virtual void OnCommMessage() = 0;
    // OnCommMessage raised `error`; it has been reported, the running operation fails.
    virtual void OnCommFailure(const CAutomationError &error) = 0;
};
