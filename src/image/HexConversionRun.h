#pragma once

#include <QString>

// The name of the hex conversion utility for a processor sub-family, empty
// for a sub-family without one.
QString HexConversionUtility(int subfamily);

// Runs the sub-family's hex conversion utility with `commandFile` as its one
// argument, in the current directory, and waits for it. Returns true when it
// ran and exited with status 0. An empty `commandFile` runs nothing and
// returns false silently; every other failure is reported as a failure of the
// operation (an unattended run is then asked to close).
bool HexConversionRun(const QString &commandFile, int subfamily);
