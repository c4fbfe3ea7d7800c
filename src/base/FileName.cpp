#include "FileName.h"

#include <QDir>
#include <QFileInfo>

QString CFileName::Absolute(const QString &name)
{
    return QDir::cleanPath(QFileInfo(name).absoluteFilePath());
}

QString CFileName::ReasonLine(const QString &name, const QString &reason)
{
    return QStringLiteral("%1: %2\r\n").arg(QDir::toNativeSeparators(Absolute(name)), reason);
}
