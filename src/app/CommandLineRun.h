#pragma once

#include "flash/CommandLineJob.h"

class CRunReport;

// An unattended run of a configuration document ("-c"/"-q"): opens the
// document, shows the form without a display, connects, downloads the target
// component, runs the requested operations and ends; returns the exit status.
// With "--report" the run's report is written at its end, whatever the end.
class CCommandLineRun {
public:
    int Exec();

private:
    static int Run(CRunReport &report);
    static CCommandLineJob CommandLineJob();
};
