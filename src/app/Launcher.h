#pragma once

#include <functional>

class CCorvaneCommandLineInfo;

// Starts the program: parses the command line, answers --help and --version,
// then runs unattended (no display needed) or hands over to the windows.
class CLauncher {
public:
    // Runs the interactive program with its own application object; returns the exit status.
    using InteractiveStart = std::function<int(int &argc, char **argv)>;

    static int Run(int argc, char **argv, const InteractiveStart &interactiveStart);

private:
    // "--connections": the setup's connections, one a line; its errors and 1 when it is broken.
    static int PrintConnections();
    static int RunUnattended(int argc, char **argv, bool generate);
    // "-g": one copy at a time.
    static int GenerateDummyHex();
    static int RunCommandLine();
    static int RunConfigConversion(int argc, char **argv);
};
