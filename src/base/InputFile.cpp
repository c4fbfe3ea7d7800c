#include "InputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kNotRegular = QStringLiteral("not a regular file");
} // namespace

QString CInputFile::Open(QFile &file, const QString &name, bool *missing)
{
    const QByteArray systemName = QFile::encodeName(name);
    struct stat status {};
    const bool found = ::stat(systemName.constData(), &status) == 0;
    if (missing)
        *missing = !found && errno == ENOENT;
    if (!found)
        return qt_error_string(errno);
    // Checked before opening, so that no device is opened, and again after, for what was opened.
    if (!S_ISREG(status.st_mode))
        return kNotRegular;
    const int fd = ::open(systemName.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return kNotRegular;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QString();
    const QString reason = file.errorString();
    ::close(fd);
    return reason;
}

QString CInputFile::ReadAll(const QString &name, qint64 maxBytes, QByteArray &bytes)
{
    QFile file;
    if (const QString reason = Open(file, name); !reason.isEmpty())
        return reason;
    bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    if (bytes.size() > maxBytes)
        return QStringLiteral("larger than %1 bytes").arg(maxBytes);
    return QString();
}
