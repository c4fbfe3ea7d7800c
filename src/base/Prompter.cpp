#include "Prompter.h"

#include "ConsolePrompter.h"

namespace {
std::unique_ptr<CPrompter> &Slot()
{
    static std::unique_ptr<CPrompter> prompter = std::make_unique<CConsolePrompter>();
    return prompter;
}
} // namespace

CPrompter &thePrompter()
{
    return *Slot();
}

std::unique_ptr<CPrompter> InstallPrompter(std::unique_ptr<CPrompter> prompter)
{
    Slot().swap(prompter);
    return prompter;
}
