#include "SingleInstance.h"

#include "base/FileName.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
const char kActivate[] = "activate\n";

// A folder of this user that no one else may enter.
bool IsPrivate(const QString &folder)
{
    struct stat status {};
    return ::lstat(CFileName::ToSystem(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

// Something of this user at `path` other than a folder: a socket a dead copy left behind.
bool IsOwnLeftover(const QString &path)
{
    struct stat status {};
    return ::lstat(CFileName::ToSystem(path).constData(), &status) == 0 && !S_ISDIR(status.st_mode)
        && status.st_uid == ::getuid();
}

// Connects to the running copy; false when none answers, or when what answers runs for another user.
bool ConnectToRunningCopy(QLocalSocket &socket)
{
    socket.connectToServer(CSingleInstance::ServerName());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    struct ucred peer {};
    socklen_t length = sizeof peer;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
        && peer.uid == ::getuid();
}
} // namespace

CSingleInstance::CSingleInstance(QObject *parent)
    : QObject(parent)
{
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::PrivateFolder()
{
    const QString runtime = CFileName::FromEnvironment("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && IsPrivate(runtime))
        return runtime;
    QString temporary = CFileName::FromEnvironment("TMPDIR");
    if (!QDir::isAbsolutePath(temporary))
        temporary = QStringLiteral("/tmp");
    const QString own = QStringLiteral("%1/corvane-%2").arg(temporary).arg(::getuid());
    ::mkdir(CFileName::ToSystem(own).constData(), 0700);
    return IsPrivate(own) ? own : QString();
}

QString CSingleInstance::ServerName()
{
    const QString folder = PrivateFolder();
    return folder.isEmpty() ? QString() : QStringLiteral("%1/CVMainWnd-%2").arg(folder).arg(::getuid());
}

CSingleInstance::ClaimResult CSingleInstance::Claim()
{
    const QString name = ServerName();
    if (name.isEmpty())
        return ClaimResult::Unavailable;
    m_server = new QLocalServer(this);
    if (!Listen(name)) {
        if (m_server->serverError() != QAbstractSocket::AddressInUseError)
            return ClaimResult::Unavailable;
        QLocalSocket socket;
        if (ConnectToRunningCopy(socket))
            return ClaimResult::AnotherCopyRunning;
        // A socket left behind by a copy that died answers no one: take it over, never one of another user.
        if (!IsOwnLeftover(name) || !QLocalServer::removeServer(name) || !Listen(name))
            return ClaimResult::Unavailable;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return ClaimResult::Claimed;
}

bool CSingleInstance::Listen(const QString &name)
{
    return m_server->listen(name) && ::chmod(CFileName::ToSystem(name).constData(), 0600) == 0;
}

bool CSingleInstance::ActivateRunningCopy()
{
    QLocalSocket socket;
    if (!ConnectToRunningCopy(socket))
        return false;
    socket.write(kActivate);
    const bool written = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return written;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("activate"))
                emit ActivationRequested();
        });
    }
}
