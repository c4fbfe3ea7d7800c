#include "LockFile.h"

#include "FileName.h"

#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr int kRetryMs = 50;
} // namespace

CLockFile::~CLockFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int CLockFile::Take(const QString &path, mode_t mode, int waitMs)
{
    const int fd = ::open(CFileName::ToSystem(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0)
        return errno;
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        if ((reason != EWOULDBLOCK && reason != EINTR) || waitMs <= 0 || waited.hasExpired(waitMs)) {
            ::close(fd);
            return reason;
        }
        QThread::msleep(kRetryMs);
    }
    m_fd = fd;
    return 0;
}
