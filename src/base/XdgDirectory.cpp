#include "XdgDirectory.h"

#include "FileName.h"

#include <QDir>

QString XdgBaseDirectory(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = CFileName::FromEnvironment(variable);
    if (QDir::isAbsolutePath(value))
        return value;
    const QString home = CFileName::FromEnvironment("HOME");
    return (home.isEmpty() ? QDir::homePath() : home) + u'/' + fallbackUnderHome;
}
