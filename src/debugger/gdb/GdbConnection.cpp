#include "GdbConnection.h"

#include "GdbPacket.h"
#include "debugger/AutomationError.h"
#include "debugger/ExchangeMonitor.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTcpSocket>

namespace {
constexpr char kInterrupt = 0x03;
} // namespace

CGdbConnection::CGdbConnection(std::unique_ptr<QTcpSocket> socket, const QString &server, qint32 timeoutMs)
    : m_pSocket(std::move(socket))
    , m_strServer(server)
    , m_nTimeoutMs(timeoutMs)
{
    // Every request waits for its answer: an acknowledgement and the next packet must not wait
    // for each other (that costs a delayed acknowledgement, 40 ms, per packet).
    m_pSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_pSocket.get(), &QTcpSocket::readyRead, this, &CGdbConnection::OnReadyRead);
    connect(m_pSocket.get(), &QTcpSocket::disconnected, this, &CGdbConnection::OnDisconnected);
    theGdbMonitor().OnConnected(m_strServer);
}

CGdbConnection::~CGdbConnection()
{
    m_pSocket->disconnect(this);
    m_pSocket->abort();
    theGdbMonitor().OnClosed(m_strServer);
}

std::unique_ptr<CGdbConnection> CGdbConnection::Open(const QString &host, quint16 port, qint32 timeoutMs)
{
    const QString server = ServerText(host, port);
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(host, port);
    if (!socket->waitForConnected(timeoutMs)) {
        if (socket->error() == QAbstractSocket::SocketTimeoutError)
            throw CAutomationError::Described(QStringLiteral("GDB server %1 did not accept the connection within %2 seconds.")
                                                  .arg(server, CAutomationError::SecondsText(timeoutMs)));
        throw CAutomationError::Described(
            QStringLiteral("Cannot connect to GDB server %1: %2.").arg(server, socket->errorString()));
    }
    return std::make_unique<CGdbConnection>(std::move(socket), server, timeoutMs);
}

QString CGdbConnection::ServerText(const QString &host, quint16 port)
{
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

QString CGdbConnection::Where() const
{
    return QStringLiteral("GDB server ") + m_strServer;
}

// --- sending -----------------------------------------------------------------

QByteArray CGdbConnection::Request(const QByteArray &packet)
{
    m_packets.clear();
    Send(packet);
    return Await(packet);
}

void CGdbConnection::Send(const QByteArray &packet)
{
    CheckUsable();
    QElapsedTimer sending;
    sending.start();
    const auto counted = qScopeGuard([&] { m_nLinkNs += sending.nsecsElapsed(); });
    const QByteArray frame = CGdbPacket::Frame(packet);
    for (int attempt = 0;; ++attempt) {
        m_nAcks = m_nNaks = 0;
        theGdbMonitor().OnExchange(true, CGdbPacket::Shown(packet));
        Write(frame);
        if (!m_bAcknowledging)
            return;
        WaitUntil([this] { return m_nAcks > 0 || m_nNaks > 0; }, packet);
        if (m_nAcks > 0)
            return;
        if (attempt == kMaxRetries)
            Fail(QStringLiteral("%1 rejected \"%2\" %3 times.").arg(Where(), CGdbPacket::Shown(packet)).arg(attempt + 1));
    }
}

QByteArray CGdbConnection::Await(const QByteArray &request)
{
    QElapsedTimer waiting;
    waiting.start();
    const auto counted = qScopeGuard([&] { m_nLinkNs += waiting.nsecsElapsed(); });
    WaitUntil([this] { return !m_packets.isEmpty(); }, request);
    return m_packets.takeFirst();
}

void CGdbConnection::Interrupt()
{
    CheckUsable();
    theGdbMonitor().OnExchange(true, CGdbPacket::Shown(QByteArray(1, kInterrupt)));
    Write(QByteArray(1, kInterrupt));
}

void CGdbConnection::Write(const QByteArray &bytes)
{
    m_pSocket->write(bytes);
    m_pSocket->flush();
}

// --- receiving ---------------------------------------------------------------

std::optional<QByteArray> CGdbConnection::TakeArrived()
{
    if (m_packets.isEmpty())
        return std::nullopt;
    return m_packets.takeFirst();
}

void CGdbConnection::OnReadyRead()
{
    if (m_bWaiting)
        return;   // the waiting call reads
    Pump();
    if (!m_packets.isEmpty() || !m_strBroken.isEmpty())
        emit Arrived();
}

void CGdbConnection::OnDisconnected()
{
    if (m_bWaiting)
        return;
    Pump();
    Break(QStringLiteral("%1 closed the connection.").arg(Where()));
    emit Arrived();
}

void CGdbConnection::Pump()
{
    m_reader.Append(m_pSocket->readAll());
    while (m_strBroken.isEmpty()) {
        const std::optional<CGdbPacketReader::Item> item = m_reader.Next();
        if (!item)
            return;
        Take(*item);
    }
}

void CGdbConnection::Take(const CGdbPacketReader::Item &item)
{
    using Kind = CGdbPacketReader::Kind;
    switch (item.kind) {
    case Kind::Ack:
        ++m_nAcks;
        break;
    case Kind::Nak:
        ++m_nNaks;
        break;
    case Kind::Packet:
        theGdbMonitor().OnExchange(false, CGdbPacket::Shown(item.payload));
        if (m_bAcknowledging)
            Write("+");
        m_packets.append(item.payload);
        break;
    case Kind::BadChecksum:
        if (m_bAcknowledging && ++m_nBadChecksums <= kMaxRetries)
            Write("-");
        else
            Break(QStringLiteral("%1 sent a packet with a wrong checksum: \"%2\".").arg(Where(), CGdbPacket::Shown(item.payload)));
        break;
    case Kind::Garbage:
        Break(QStringLiteral("%1 does not speak the GDB remote protocol: it sent \"%2\".")
                  .arg(Where(), CGdbPacket::Shown(item.payload)));
        break;
    case Kind::TooLong:
        Break(QStringLiteral("%1 sent a packet longer than %2 bytes.").arg(Where()).arg(CGdbPacketReader::kMaxPacketBytes));
        break;
    }
}

// --- waiting and failing -----------------------------------------------------

void CGdbConnection::WaitUntil(const std::function<bool()> &done, const QByteArray &request)
{
    const QScopedValueRollback<bool> waiting(m_bWaiting, true);
    const QDeadlineTimer deadline(m_nTimeoutMs);
    for (;;) {
        Pump();
        CheckUsable();
        if (done())
            return;
        WaitForData(deadline, request);
    }
}

void CGdbConnection::WaitForData(const QDeadlineTimer &deadline, const QByteArray &request)
{
    if (m_pSocket->state() == QAbstractSocket::ConnectedState
        && m_pSocket->waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0))))
        return;
    if (m_pSocket->bytesAvailable() > 0)
        return;
    if (m_pSocket->state() != QAbstractSocket::ConnectedState)
        Fail(m_reader.InPacket() ? QStringLiteral("%1 closed the connection in the middle of a packet.").arg(Where())
                                 : QStringLiteral("%1 closed the connection.").arg(Where()));
    if (deadline.hasExpired())
        Fail(QStringLiteral("%1 did not answer \"%2\" within %3 seconds.")
                 .arg(Where(), CGdbPacket::Shown(request), CAutomationError::SecondsText(m_nTimeoutMs)));
}

void CGdbConnection::Break(const QString &text)
{
    if (m_strBroken.isEmpty())
        m_strBroken = text;
}

void CGdbConnection::CheckUsable() const
{
    if (!m_strBroken.isEmpty())
        throw CAutomationError::Described(m_strBroken);
}

void CGdbConnection::Fail(const QString &text)
{
    Break(text);
    throw CAutomationError::Described(m_strBroken);
}
