#include "ScopedAppSettings.h"

ScopedAppSettings::ScopedAppSettings(const QString &commandLine)
    : m_previous(theApp())
{
    CCorvaneCommandLineInfo info;
    info.Parse(commandLine.split(u' ', Qt::SkipEmptyParts));
    theApp() = CCorvaneApp();
    theApp().ApplyCommandLine(info);
    theApp().SetCloseRequestHandler([this] { ++closeRequests; });
}

ScopedAppSettings::~ScopedAppSettings()
{
    theApp() = m_previous;
}
