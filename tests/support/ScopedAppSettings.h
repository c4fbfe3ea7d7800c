#pragma once

#include "app/CorvaneApp.h"
#include "base/FailureReporter.h"

#include <QString>

// Gives theApp() the settings of a command line, with the reporter of that kind
// of run, for one scope and puts the old settings back afterwards.
class ScopedAppSettings {
public:
    explicit ScopedAppSettings(const QString &commandLine);
    ~ScopedAppSettings();
    ScopedAppSettings(const ScopedAppSettings &) = delete;
    ScopedAppSettings &operator=(const ScopedAppSettings &) = delete;

    int closeRequests = 0;  // how often the main window was asked to close

private:
    CCorvaneApp m_previous;
    std::unique_ptr<CFailureReporter> m_previousReporter;
    std::function<void()> m_previousCloseHandler;
};
