#include "app/Launcher.h"

#include <cstdio>

namespace {
int StartInteractive(int &, char **)
{
    std::fputs("Corvane: the desktop window is not available in this build; see corvane --help.\n", stdout);
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    return CLauncher::Run(argc, argv, StartInteractive);
}
