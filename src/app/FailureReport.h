#pragma once

#include <QString>

// Reports the failure of an operation: interactive runs add it to the message
// log and show the log; unattended runs only add it and mark the run failed.
void ReportFailure(const QString &text);
