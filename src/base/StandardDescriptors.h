#pragma once

// Standard input, output and error that a caller left closed. A file opened
// later would take their numbers and receive what the program prints there.
class CStandardDescriptors {
public:
    // Opens /dev/null onto each of descriptors 0, 1 and 2 that is closed.
    // Called first thing in main, before anything opens a file.
    static void OpenClosedOnes();
};
