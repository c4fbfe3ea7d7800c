#pragma once

// The document's link to one processor through the debugger.
class CTargetLink {
public:
    CTargetLink();
    ~CTargetLink();
};
