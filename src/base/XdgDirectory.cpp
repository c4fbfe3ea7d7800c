#include "XdgDirectory.h"

#include <QDir>

QString XdgBaseDirectory(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? value : QDir::homePath() + u'/' + fallbackUnderHome;
}
