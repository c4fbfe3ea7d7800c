#include "ScopedAppSettings.h"

#include "app/UnattendedReporter.h"
#include "base/CloseRequest.h"

ScopedAppSettings::ScopedAppSettings(const QString &commandLine)
    : m_previous(theApp())
{
    CCorvaneCommandLineInfo info;
    info.Parse(commandLine.split(u' ', Qt::SkipEmptyParts));
    theApp() = CCorvaneApp();
    theApp().ApplyCommandLine(info);
    m_previousCloseHandler = SetCloseRequestHandler([this] { ++closeRequests; });
    if (theApp().IsInteractive())
        m_previousReporter = InstallReporter(std::make_unique<CInteractiveReporter>());
    else
        m_previousReporter = InstallReporter(std::make_unique<CUnattendedReporter>());
}

ScopedAppSettings::~ScopedAppSettings()
{
    theApp() = m_previous;
    SetCloseRequestHandler(std::move(m_previousCloseHandler));
    InstallReporter(std::move(m_previousReporter));
}
