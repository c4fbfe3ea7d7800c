#include "InputFile.h"

#include "FileName.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
const QString kNotRegular = QStringLiteral("not a regular file");
} // namespace

QString CInputFile::Open(QFile &file, const QString &name, bool *missing)
{
    struct stat status {};
    const bool found = ::stat(CFileName::ToSystem(name).constData(), &status) == 0;
    if (missing)
        *missing = !found && errno == ENOENT;
    if (!found)
        return qt_error_string(errno);
    // Checked before opening, so that no device is opened, and again after, for what was opened.
    if (!S_ISREG(status.st_mode))
        return kNotRegular;
    if (const int error = CFileName::Open(file, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC))
        return qt_error_string(error);
    const int fd = file.handle();
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        file.close();
        return kNotRegular;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return QString();
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
