#pragma once

#include <memory>

class IDebuggerApplication;
class IDebuggerSetup;

// Creates the debugger's top-level objects; each call makes a new one.
class IDebuggerFactory {
public:
    virtual ~IDebuggerFactory() = default;
    // Null when the debugger cannot be started.
    virtual std::shared_ptr<IDebuggerApplication> CreateApplication() = 0;
    // Null when the setup cannot be started.
    virtual std::shared_ptr<IDebuggerSetup> CreateSetup() = 0;
};
