#include "ReplacingFile.h"

#include "FileName.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {
constexpr int kNameAttempts = 16;
// Bytes gathered before they are written.
constexpr qsizetype kPendingBytes = 64 * 1024;

QString SystemReason()
{
    return qt_error_string(errno);
}
} // namespace

CReplacingFile::CReplacingFile(const QString &name)
    : m_strName(name)
{
}

CReplacingFile::~CReplacingFile()
{
    Discard();
}

bool CReplacingFile::Open()
{
    struct stat existing {};
    if (::lstat(CFileName::ToSystem(m_strName).constData(), &existing) != 0)
        return errno == ENOENT ? CreateBeside(0666, false) : Fail(SystemReason());
    if (S_ISREG(existing.st_mode))
        return CreateBeside(existing.st_mode & 07777, true);
    if (S_ISLNK(existing.st_mode))
        return CreateBeside(0666, false);
    return Fail(QStringLiteral("not a regular file"));
}

// O_EXCL never follows a link and never takes over a file someone else made.
bool CReplacingFile::CreateBeside(unsigned mode, bool keepMode)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString newName =
            QStringLiteral("%1.%2").arg(m_strName).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        m_fd = ::open(CFileName::ToSystem(newName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd < 0 && errno == EEXIST)
            continue;
        if (m_fd < 0)
            return Fail(SystemReason());
        m_strNewName = newName;
        return !keepMode || ::fchmod(m_fd, mode) == 0 || Fail(SystemReason());
    }
    return Fail(qt_error_string(EEXIST));
}

bool CReplacingFile::Write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return false;
    m_pending += bytes;
    return m_pending.size() < kPendingBytes || WritePending();
}

bool CReplacingFile::WritePending()
{
    const char *data = m_pending.constData();
    qsizetype left = m_pending.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        // A write that takes nothing without a reason: the disk is full.
        if (written <= 0)
            return Fail(written < 0 ? SystemReason() : qt_error_string(ENOSPC));
        data += written;
        left -= written;
    }
    m_pending.clear();
    return true;
}

bool CReplacingFile::Commit()
{
    if (m_fd < 0 || !WritePending())
        return false;
    // A full disk may show only here, when the data reaches the disk.
    if (::fsync(m_fd) != 0 && errno != EINVAL)
        return Fail(SystemReason());
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        return Fail(SystemReason());
    if (::rename(CFileName::ToSystem(m_strNewName).constData(), CFileName::ToSystem(m_strName).constData()) != 0)
        return Fail(SystemReason());
    m_strNewName.clear();
    return true;
}

QString CReplacingFile::WriteWhole(const QString &name, const QByteArray &bytes)
{
    CReplacingFile file(name);
    if (file.Open() && file.Write(bytes) && file.Commit())
        return QString();
    return file.ErrorString();
}

bool CReplacingFile::Fail(const QString &reason)
{
    if (m_strError.isEmpty())
        m_strError = reason;
    Discard();
    return false;
}

void CReplacingFile::Discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_strNewName.isEmpty())
        ::unlink(CFileName::ToSystem(m_strNewName).constData());
    m_strNewName.clear();
    m_pending.clear();
}
