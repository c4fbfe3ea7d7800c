#pragma once

#include "SetupBoard.h"

// The debugger's setup: which boards and processors are configured, in order.
class IDebuggerSetup {
public:
    virtual ~IDebuggerSetup() = default;
    virtual SetupBoardList BoardList() = 0;
};
