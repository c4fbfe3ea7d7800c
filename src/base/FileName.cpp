#include "FileName.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Bytes of the valid UTF-8 sequence at `at`; 0 when the byte there starts none.
int Utf8SequenceLength(const QByteArray &bytes, qsizetype at)
{
    const quint8 lead = quint8(bytes[at]);
    if (lead < 0x80)
        return 1;
    const int length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    char32_t code = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const quint8 next = quint8(bytes[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = code >= kShortest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid ? length : 0;
}

bool IsEscapedByte(const QString &name, qsizetype at)
{
    const char16_t unit = name[at].unicode();
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF && (at == 0 || !name[at - 1].isHighSurrogate());
}

} // namespace

QString CFileName::FromSystem(const QByteArray &bytes)
{
    QString name;
    qsizetype runStart = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const int length = Utf8SequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        name += QFile::decodeName(bytes.mid(runStart, at - runStart)) + QChar(kEscapeBase + quint8(bytes[at]));
        runStart = ++at;
    }
    return name + QFile::decodeName(bytes.mid(runStart));
}

QByteArray CFileName::ToSystem(const QString &name)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (!IsEscapedByte(name, at))
            continue;
        bytes += QFile::encodeName(name.mid(runStart, at - runStart)) + char(name[at].unicode() - kEscapeBase);
        runStart = at + 1;
    }
    return bytes + QFile::encodeName(name.mid(runStart));
}

QString CFileName::FromEnvironment(const char *variable)
{
    return FromSystem(qgetenv(variable));
}

QString CFileName::Absolute(const QString &name)
{
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    char folder[PATH_MAX];
    const QString current = ::getcwd(folder, sizeof folder) ? FromSystem(folder) : QDir::currentPath();
    return QDir::cleanPath(current + u'/' + name);
}

bool CFileName::Exists(const QString &name)
{
    struct stat status {};
    return ::stat(ToSystem(name).constData(), &status) == 0;
}

int CFileName::Open(QFile &file, const QString &name, int flags, unsigned mode)
{
    const int fd = ::open(ToSystem(name).constData(), flags, mode);
    if (fd < 0)
        return errno;
    if (file.open(fd, (flags & O_ACCMODE) == O_RDONLY ? QIODevice::ReadOnly : QIODevice::WriteOnly,
                  QFileDevice::AutoCloseHandle))
        return 0;
    ::close(fd);
    return EBADF;
}

bool CFileName::EnterFolder(const QString &folder)
{
    return ::chdir(ToSystem(folder).constData()) == 0;
}

void CFileName::MakeFolderOf(const QString &name)
{
    const QString path = Absolute(name);
    for (qsizetype slash = path.indexOf(u'/', 1); slash > 0; slash = path.indexOf(u'/', slash + 1))
        ::mkdir(ToSystem(path.left(slash)).constData(), 0777);
}

QString CFileName::ReasonLine(const QString &name, const QString &reason)
{
    return QStringLiteral("%1: %2\r\n").arg(QDir::toNativeSeparators(Absolute(name)), reason);
}
