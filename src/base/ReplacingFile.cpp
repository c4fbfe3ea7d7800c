#include "ReplacingFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kNameAttempts = 16;

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
    if (::lstat(QFile::encodeName(m_strName).constData(), &existing) != 0)
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
        const int fd = ::open(QFile::encodeName(newName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return Fail(SystemReason());
        m_strNewName = newName;
        if (!m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            const QString reason = m_file.errorString();
            ::close(fd);
            return Fail(reason);
        }
        return !keepMode || ::fchmod(fd, mode) == 0 || Fail(SystemReason());
    }
    return Fail(qt_error_string(EEXIST));
}

bool CReplacingFile::Write(const QByteArray &bytes)
{
    if (!m_file.isOpen())
        return false;
    return m_file.write(bytes) == bytes.size() || Fail(m_file.errorString());
}

bool CReplacingFile::Commit()
{
    if (!m_file.isOpen())
        return false;
    // A full disk shows here at the latest: the writes may all have gone into the buffer.
    if (!m_file.flush())
        return Fail(m_file.errorString());
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL)
        return Fail(SystemReason());
    m_file.close();
    if (::rename(QFile::encodeName(m_strNewName).constData(), QFile::encodeName(m_strName).constData()) != 0)
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
    m_file.close();
    if (!m_strNewName.isEmpty())
        ::unlink(QFile::encodeName(m_strNewName).constData());
    m_strNewName.clear();
}
