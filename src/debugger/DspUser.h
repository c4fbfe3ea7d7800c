#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

class IDspMemory;
class IDspUserEvents;
class IDspValue;

// One processor as a debugger client sees it: memory, run control,
// breakpoints, symbols of the loaded program, program load and events.
// Every call may raise CAutomationError.
class IDspUser {
public:
    virtual ~IDspUser() = default;

    // A value holding `address`; null when none can be made.
    virtual std::shared_ptr<IDspValue> CreateAddressValue(quint32 address) = 0;
    // A block of `elementCount` elements at the address `start` holds, on memory
    // `page`; null when none can be made.
    virtual std::shared_ptr<IDspMemory> CreateMemory(const IDspValue &start, qint32 elementCount,
                                                     quint32 page) = 0;
    // Fill the block from target memory / store it there; false when the target refuses.
    virtual bool ReadBlock(IDspMemory &block) = 0;
    virtual bool WriteBlock(IDspMemory &block) = 0;

    // Run from where the target stopped; returns at once.
    virtual void Run() = 0;
    // Stop a running target; a target that has stopped stays so.
    virtual void Halt() = 0;
    virtual void SetBreakpoint(const IDspValue &location) = 0;
    virtual void RemoveBreakpoint(const IDspValue &location) = 0;

    // The symbol lookup: binds `value` to the address of `name`; true when found.
    virtual bool FindSymbol(const QString &name, IDspValue &value) = 0;
    // The alternative lookup: binds `value` to the address of `name`; 0 when found, else a status.
    virtual qint32 EvaluateSymbol(const QString &name, IDspValue &value) = 0;

    // Starts loading the program file at `path`; false when the load cannot
    // start. A started load ends with OnLoadFinished.
    virtual bool LoadProgram(const QString &path) = 0;
    // Lets pending events arrive; called again and again while a load is awaited.
    virtual void Poll() = 0;

    virtual qint32 Family() = 0;
    virtual qint32 Subfamily() = 0;

    // The id of an optional method known by name ("TargetConnect"), or -1.
    virtual qint32 NamedMethodId(const QString &name) = 0;
    virtual void InvokeNamedMethod(qint32 id) = 0;

    // Connects `events` to this processor's events; the cookie names the
    // connection. Nothing when the connection cannot be made.
    virtual std::optional<quint32> Advise(const std::shared_ptr<IDspUserEvents> &events) = 0;
    virtual void Unadvise(quint32 cookie) = 0;
};
