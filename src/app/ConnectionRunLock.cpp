#include "ConnectionRunLock.h"

#include "SingleInstance.h"
#include "base/FileName.h"

#include <QCryptographicHash>

#include <cerrno>
#include <unistd.h>

QString CConnectionRunLock::LockPath(const QString &connection)
{
    const QString folder = CSingleInstance::PrivateFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray digest = QCryptographicHash::hash(connection.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return QStringLiteral("%1/CVRun-%2-%3.lock").arg(folder).arg(::getuid()).arg(QString::fromLatin1(digest));
}

CConnectionRunLock::ClaimResult CConnectionRunLock::Claim(const QString &connection)
{
    const QString path = LockPath(connection);
    if (path.isEmpty())
        return ClaimResult::Unavailable;
    const int reason = m_file.Take(path, 0600, 0);
    if (reason == 0)
        return ClaimResult::Claimed;
    return reason == EWOULDBLOCK ? ClaimResult::Busy : ClaimResult::Unavailable;
}
