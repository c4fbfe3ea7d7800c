#pragma once

#include <memory>

class IDspUser;

// A processor of a board in the debugger.
class IDebuggerProcessor {
public:
    virtual ~IDebuggerProcessor() = default;
    virtual std::shared_ptr<IDspUser> DspUser() = 0;
    // True when target words must be byte-reversed between target memory and
    // the host's little-endian buffer (the target is big-endian).
    virtual bool ReverseByteOrder() = 0;
};
