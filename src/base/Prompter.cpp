#include "Prompter.h"

#include "ConsolePrompter.h"
#include "ProgramWide.h"

CPrompter &thePrompter()
{
    return CProgramWide<CPrompter, CConsolePrompter>::Get();
}

std::unique_ptr<CPrompter> InstallPrompter(std::unique_ptr<CPrompter> prompter)
{
    return CProgramWide<CPrompter, CConsolePrompter>::Install(std::move(prompter));
}
