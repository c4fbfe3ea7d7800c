#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
const char kActivate[] = "activate\n";

bool RunningCopyAnswers()
{
    QLocalSocket socket;
    socket.connectToServer(CSingleInstance::ServerName());
    return socket.waitForConnected(kConnectTimeoutMs);
}
} // namespace

CSingleInstance::CSingleInstance(QObject *parent)
    : QObject(parent)
{
}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::ServerName()
{
    return QStringLiteral("CVMainWnd-%1").arg(getuid());
}

CSingleInstance::ClaimResult CSingleInstance::Claim()
{
    m_server = new QLocalServer(this);
    if (!m_server->listen(ServerName())) {
        if (m_server->serverError() != QAbstractSocket::AddressInUseError)
            return ClaimResult::Unavailable;
        if (RunningCopyAnswers())
            return ClaimResult::AnotherCopyRunning;
        // A socket left behind by a copy that died answers no one: take it over.
        QLocalServer::removeServer(ServerName());
        if (!m_server->listen(ServerName()))
            return ClaimResult::Unavailable;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return ClaimResult::Claimed;
}

bool CSingleInstance::ActivateRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(kConnectTimeoutMs))
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
