#pragma once

#include "FlashOperationKind.h"
#include "base/Failure.h"

#include <QString>

class COperationHost;

// One operation of the flash session: a chain of steps, one per halt of the
// target. It takes its typed job before it starts, reads no form and no
// program-wide object, and ends through its host with success or a failure;
// however it ends, the host releases it.
class CFlashOperation {
public:
    explicit CFlashOperation(COperationHost &host)
        : m_host(host)
    {
    }
    virtual ~CFlashOperation() = default;
    CFlashOperation(const CFlashOperation &) = delete;
    CFlashOperation &operator=(const CFlashOperation &) = delete;

    virtual FlashOperationKind Kind() const = 0;
    // The first step.
    virtual void Start() = 0;
    // The target answered the last request, or the operation asked to continue.
    virtual void OnHalt() = 0;
    // A tick of the operation's timer.
    virtual void OnTick() {}
    // A child started with RunChild succeeded.
    virtual void OnChildSucceeded() {}
    // The running child failed with `failure`: what this operation reports of it.
    virtual CFailure ChildFailure(const CFailure &failure) const { return failure; }
    // Lets go of what the operation holds (files, readers). The host runs it at
    // every end of the operation, after which it may start again.
    virtual void Release() {}

protected:
    // The failure text for an answer to a request this operation did not send.
    static QString UnexpectedResponseText(quint16 command)
    {
        return QString::asprintf("Cannot deal with unexpected response: %x\r\n", unsigned(command));
    }

    COperationHost &m_host;
};
