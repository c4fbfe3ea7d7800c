#pragma once

#include <functional>

// Asks the main window (or the window-less form of an unattended run) to
// close, so that the run ends and the log file is written. The run mode sets
// the handler; without one the request is dropped.
void RequestMainWindowClose();
// Sets the handler and returns the previous one.
std::function<void()> SetCloseRequestHandler(std::function<void()> handler);
