#include "ConnectionRunLock.h"

#include "SingleInstance.h"
#include "base/FileName.h"

#include <QCryptographicHash>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CConnectionRunLock::~CConnectionRunLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

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
    m_fd = ::open(CFileName::ToSystem(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        return ClaimResult::Unavailable;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return ClaimResult::Claimed;
    const bool busy = errno == EWOULDBLOCK;
    ::close(m_fd);
    m_fd = -1;
    return busy ? ClaimResult::Busy : ClaimResult::Unavailable;
}
