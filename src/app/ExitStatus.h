#pragma once

// Exit statuses of the program.
enum ExitStatus : int {
    ExitSuccess = 0,  // the run did all it was asked
    ExitFailure = 1,  // something failed; the log file says what
    ExitUsage = 2,    // the command line cannot run
};
