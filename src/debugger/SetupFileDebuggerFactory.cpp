#include "SetupFileDebuggerFactory.h"

#include "ConfiguredApplication.h"
#include "FileDebuggerSetup.h"
#include "SetupFile.h"
#include "base/MessageLog.h"

std::shared_ptr<IDebuggerApplication> CSetupFileDebuggerFactory::CreateApplication()
{
    const SetupBoardList list = CSetupFile::Load();
    if (list.status < 0) {
        theLog.Add(list.error + QStringLiteral("\r\n"));
        return nullptr;
    }
    return std::make_shared<CConfiguredApplication>(list.boards);
}

std::shared_ptr<IDebuggerSetup> CSetupFileDebuggerFactory::CreateSetup()
{
    return std::make_shared<CFileDebuggerSetup>();
}
