#include "SimStateLock.h"

#include "base/FileName.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr int kRetryMs = 50;

// Waits up to kWaitMs for the lock: 0 once it is held, else why not
// (EWOULDBLOCK: another run kept it).
int Lock(int fd)
{
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        if ((reason != EWOULDBLOCK && reason != EINTR) || waited.hasExpired(CSimStateLock::kWaitMs))
            return reason;
        QThread::msleep(kRetryMs);
    }
    return 0;
}
} // namespace

std::unique_ptr<CSimStateLock> CSimStateLock::Take(const QString &path, QString &error)
{
    CFileName::MakeFolderOf(path);
    const int fd = ::open(CFileName::ToSystem(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    const int reason = fd < 0 ? errno : Lock(fd);
    if (reason == 0)
        return std::unique_ptr<CSimStateLock>(new CSimStateLock(fd));
    if (fd >= 0)
        ::close(fd);
    const QString where = QDir::toNativeSeparators(path);
    error = reason == EWOULDBLOCK
        ? QStringLiteral("The simulated board's state %1 is held by another run.").arg(where)
        : QStringLiteral("Cannot lock the simulated board's state %1: %2.").arg(where, qt_error_string(reason));
    return nullptr;
}

CSimStateLock::CSimStateLock(int fd)
    : m_fd(fd)
{
}

CSimStateLock::~CSimStateLock()
{
    ::close(m_fd);
}
