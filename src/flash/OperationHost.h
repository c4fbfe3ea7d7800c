#pragma once

#include "ComponentFacts.h"
#include "ProgressEvent.h"
#include "base/Failure.h"

class CFlashOperation;
class CTargetLink;
class CommMessage;

// What an operation may use of the session that runs it. Transport calls
// return false after a failure has ended the operation; the operation then
// returns at once.
class COperationHost {
public:
    virtual ~COperationHost() = default;

    virtual const CTargetLink &Link() const = 0;
    virtual const CComponentFacts &Facts() const = 0;
    virtual CComponentFacts &FactsToUpdate() = 0;

    // Sends a request (its header only, or with its data) and lets the target
    // run; `extraWaitSeconds` lengthens the answer time-out.
    virtual bool SendHeader(const CommMessage &request, int extraWaitSeconds = 0) = 0;
    virtual bool SendMessage(const CommMessage &request) = 0;
    virtual bool ResumeTarget() = 0;
    // Reads the answer: its header, or its header and data.
    virtual bool ReceiveHeader(CommMessage &answer) = 0;
    virtual bool ReceiveMessage(CommMessage &answer) = 0;
    // Runs the operation's next step now, without a pass through the target.
    virtual void Continue() = 0;

    virtual void Report(const CProgressEvent &event) = 0;
    // Adds a text to the message log.
    virtual void Record(const QString &text) = 0;
    virtual quint32 Now() const = 0;

    // The abort button: shown while an operation can be aborted; showing it clears an earlier abort.
    virtual void SetAbortable(bool abortable) = 0;
    virtual bool IsAbortRequested() const = 0;
    // The operation's timer (erase progress, programming abort) ticks OnTick() until the operation ends.
    virtual void StartTicks() = 0;

    // Runs `child` to its end; the caller's OnChildSucceeded follows. A child's
    // failure ends the caller too, reported as the caller's ChildFailure says.
    virtual void RunChild(CFlashOperation &child) = 0;
    // The running operation ends: with success, with a failure (its parents
    // end with it), or abandoned at the user's abort (its parents too). Every
    // end releases the operation (CFlashOperation::Release), and the abort
    // button, the timer and the progress display it started.
    virtual void Succeed() = 0;
    virtual void Fail(const CFailure &failure) = 0;
    virtual void Abandon() = 0;
};
