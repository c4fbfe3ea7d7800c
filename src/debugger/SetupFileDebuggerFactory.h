#pragma once

#include "DebuggerFactory.h"

// The program's debugger: the boards and processors of the setup file, each
// processor served by its backend (the built-in simulator by default).
class CSetupFileDebuggerFactory : public IDebuggerFactory {
public:
    // Null, with the setup file's error added to the log, when the file is unusable.
    std::shared_ptr<IDebuggerApplication> CreateApplication() override;
    std::shared_ptr<IDebuggerSetup> CreateSetup() override;
};
