#pragma once

#include "DebuggerSetup.h"

// The setup as the setup file gives it, read afresh for every board list.
class CFileDebuggerSetup : public IDebuggerSetup {
public:
    SetupBoardList BoardList() override;
};
