#include "InteractiveRun.h"
#include "app/Launcher.h"

int main(int argc, char *argv[])
{
    return CLauncher::Run(argc, argv, CInteractiveRun::Exec);
}
