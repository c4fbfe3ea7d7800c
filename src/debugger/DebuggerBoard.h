#pragma once

#include <QtGlobal>

#include <memory>

class IDebuggerProcessor;

// A board in the debugger: its processors, bypassed devices left out.
class IDebuggerBoard {
public:
    virtual ~IDebuggerBoard() = default;
    // The processor at `index`, or null when there is none.
    virtual std::shared_ptr<IDebuggerProcessor> Processor(qint32 index) = 0;
};
