#pragma once

// The desktop program: a single copy per user, the main window, the document
// named on the command line (or the -t text configuration), the start-up
// dialog when no document is named, and the event loop.
class CInteractiveRun {
public:
    // Returns the exit status.
    static int Exec(int &argc, char **argv);
};
