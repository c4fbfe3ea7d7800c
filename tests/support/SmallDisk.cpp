#include "SmallDisk.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(int kib)
{
    const QByteArray options = "size=" + QByteArray::number(kib) + "k";
    m_bMounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    if (!m_bMounted)
        m_strReason = QStringLiteral("cannot mount a small tmpfs: ") + qt_error_string(errno);
}

SmallDisk::~SmallDisk()
{
    if (m_bMounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

void SmallDisk::Fill() const
{
    const int fd = ::open(QFile::encodeName(Path(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const char page[4096] = {};
    for (size_t size = sizeof page; size > 0; size /= 2) {
        while (::write(fd, page, size) > 0) {
        }
    }
    ::close(fd);
}
