#include "FileDebuggerSetup.h"

#include "SetupFile.h"

SetupBoardList CFileDebuggerSetup::BoardList()
{
    return CSetupFile::Load();
}
