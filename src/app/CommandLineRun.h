#pragma once

#include "flash/CommandLineJob.h"

// An unattended run of a configuration document ("-c"/"-q"): opens the
// document, shows the form without a display, connects, downloads the target
// component, runs the requested operations and ends; returns the exit status.
class CCommandLineRun {
public:
    int Exec();

private:
    static CCommandLineJob CommandLineJob();
};
