#pragma once

#include "base/Failure.h"

#include <QString>

#include <optional>

// The name of the hex conversion utility for a processor sub-family, empty
// for a sub-family without one.
QString HexConversionUtility(int subfamily);

// Runs the sub-family's hex conversion utility with `commandFile` as its one
// argument, in the current directory, and waits for it; a signal that ends the
// run (CSignalExit) ends the utility too. Returns nothing when
// it ran and exited with status 0, or when `commandFile` is empty and there is
// nothing to run; otherwise the failure, which ends an unattended run: its
// status, then a line naming the utility tried and what became of it.
std::optional<CFailure> HexConversionRun(const QString &commandFile, int subfamily);
