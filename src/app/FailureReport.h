#pragma once

#include <QString>

// Reports the failure of an operation: interactive runs add it to the message
// log and show the log; unattended runs only add it and mark the run failed.
void ReportFailure(const QString &text);
// Reports a failure in a plain message box, shown in every run (standard error
// when unattended); an unattended run is then marked failed.
void ShowFailure(const QString &text);
