#include "GdbConnection.h"

#include "GdbMonitor.h"
#include "GdbPacket.h"
#include "debugger/AutomationError.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char kInterrupt = 0x03;
constexpr char kAck = '+';
constexpr qsizetype kReceiveBytes = 64 << 10;

// The socket's descriptor, duplicated for the connection, non-blocking, without
// a delay for small packets: each request waits for its answer, so an
// acknowledgement and the next packet must not wait for each other.
int TakeDescriptor(QTcpSocket &socket)
{
    const int descriptor = ::fcntl(int(socket.socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    if (descriptor >= 0) {
        const int one = 1;
        ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) | O_NONBLOCK);
    }
    return descriptor;
}

int PollMs(const QDeadlineTimer &deadline)
{
    return deadline.isForever() ? -1 : int(std::max<qint64>(deadline.remainingTime(), 0));
}

} // namespace

CGdbConnection::CGdbConnection(std::unique_ptr<QTcpSocket> socket, const QString &server, qint32 timeoutMs)
    : m_nSocket(TakeDescriptor(*socket))
    , m_strServer(server)
    , m_nTimeoutMs(timeoutMs)
{
    m_reader.Append(socket->readAll());
    socket->abort();   // closes Qt's descriptor; the duplicate keeps the connection
    if (m_nSocket < 0) {
        Break(QStringLiteral("%1 closed the connection.").arg(Where()));
    } else {
        m_pNotifier = std::make_unique<QSocketNotifier>(m_nSocket, QSocketNotifier::Read);
        connect(m_pNotifier.get(), &QSocketNotifier::activated, this, &CGdbConnection::OnReadable);
    }
    m_ackTimer.setSingleShot(true);
    m_ackTimer.setInterval(0);
    connect(&m_ackTimer, &QTimer::timeout, this, [this] {
        try {
            FlushAcknowledgement();
        } catch (const CAutomationError &) {
            emit Arrived();   // broken: whoever waits for a stop learns it
        }
    });
    theGdbMonitor().OnConnected(m_strServer);
}

CGdbConnection::~CGdbConnection()
{
    m_pNotifier.reset();
    try {
        FlushAcknowledgement();
    } catch (const CAutomationError &) {
    }
    if (m_nSocket >= 0)
        ::close(m_nSocket);
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
                                                  .arg(server, SecondsText(timeoutMs)));
        throw CAutomationError::Described(
            QStringLiteral("Cannot connect to GDB server %1: %2.").arg(server, socket->errorString()));
    }
    return std::make_unique<CGdbConnection>(std::move(socket), server, timeoutMs);
}

QString CGdbConnection::ServerText(const QString &host, quint16 port)
{
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

QString CGdbConnection::SecondsText(qint32 milliseconds)
{
    return QString::number(milliseconds / 1000.0);
}

QString CGdbConnection::Where() const
{
    return QStringLiteral("GDB server ") + m_strServer;
}

void CGdbConnection::SetPacketSize(qint32 bytes)
{
    m_nPacketSize = bytes;
    m_reader.SetLimit(std::max(2 * qsizetype(bytes), kMinReplyLimit));
}

// --- sending -----------------------------------------------------------------

void CGdbConnection::Send(QByteArrayView packet)
{
    m_frame.Start().Add(packet);
    Send(m_frame);
}

void CGdbConnection::Send(CGdbFrame &frame)
{
    CheckUsable();
    if (frame.Size() > m_nPacketSize)
        throw CAutomationError::Described(QStringLiteral("%1 takes packets of at most %2 bytes, too few for \"%3\" (%4 bytes).")
                                              .arg(Where())
                                              .arg(m_nPacketSize)
                                              .arg(CGdbPacket::Shown(frame.Payload()))
                                              .arg(frame.Size()));
    QElapsedTimer sending;
    sending.start();
    const auto counted = qScopeGuard([&] { m_nLinkNs += sending.nsecsElapsed(); });
    const QByteArray &bytes = frame.Finished();
    for (int attempt = 0;; ++attempt) {
        m_nAcks = m_nNaks = 0;
        theGdbMonitor().OnPacket(true, frame.Payload());
        Write(bytes);
        if (!m_bAcknowledging)
            return;
        WaitUntil([this] { return m_nAcks > 0 || m_nNaks > 0; }, frame.Payload());
        if (m_nAcks > 0)
            return;
        if (attempt == kMaxRetries)
            Fail(QStringLiteral("%1 rejected \"%2\" %3 times.")
                     .arg(Where(), CGdbPacket::Shown(frame.Payload()))
                     .arg(attempt + 1));
    }
}

QByteArray CGdbConnection::Await(QByteArrayView request)
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
    theGdbMonitor().OnPacket(true, QByteArrayView(&kInterrupt, 1));
    Write(QByteArrayView(&kInterrupt, 1));
}

// Writes `bytes`, after the acknowledgement owed if there is one, in one call
// unless the socket's buffer is full.
void CGdbConnection::Write(QByteArrayView bytes)
{
    iovec parts[2] = {{const_cast<char *>(&kAck), m_bAckOwed ? 1u : 0u},
                      {const_cast<char *>(bytes.data()), size_t(bytes.size())}};
    m_bAckOwed = false;
    msghdr message {};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    const QDeadlineTimer deadline(m_nTimeoutMs);
    for (size_t left = parts[0].iov_len + parts[1].iov_len; left > 0;) {
        const ssize_t sent = ::sendmsg(m_nSocket, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd writable {m_nSocket, POLLOUT, 0};
            if (::poll(&writable, 1, PollMs(deadline)) == 0)
                Fail(QStringLiteral("%1 did not take \"%2\" within %3 seconds.")
                         .arg(Where(), CGdbPacket::Shown(bytes), SecondsText(m_nTimeoutMs)));
            continue;
        }
        if (sent < 0)
            Fail(QStringLiteral("%1 closed the connection.").arg(Where()));
        left -= size_t(sent);
        for (size_t done = size_t(sent); done > 0;) {
            iovec &part = message.msg_iov[0];
            const size_t taken = std::min(done, part.iov_len);
            part.iov_base = static_cast<char *>(part.iov_base) + taken;
            part.iov_len -= taken;
            done -= taken;
            if (part.iov_len == 0 && message.msg_iovlen > 1) {
                ++message.msg_iov;
                --message.msg_iovlen;
            }
        }
    }
}

void CGdbConnection::FlushAcknowledgement()
{
    if (m_bAckOwed && m_strBroken.isEmpty())
        Write({});
}

// --- receiving ---------------------------------------------------------------

std::optional<QByteArray> CGdbConnection::TakeArrived()
{
    if (!m_bWaiting)
        Pump();
    if (m_packets.isEmpty())
        return std::nullopt;
    return m_packets.takeFirst();
}

bool CGdbConnection::HasArrived()
{
    Pump();
    return !m_packets.isEmpty() || IsBroken();
}

// The socket became readable while nothing was awaited.
void CGdbConnection::OnReadable()
{
    if (m_bWaiting)
        return;   // the waiting call reads
    Receive();
    Pump();
    if (m_bPeerClosed)
        Closed();
    if (!m_packets.isEmpty() || !m_strBroken.isEmpty())
        emit Arrived();
}

// Takes what one receive call gives; false when there was nothing.
bool CGdbConnection::Receive()
{
    char *space = m_reader.Space(kReceiveBytes);
    ssize_t got = 0;
    do
        got = ::recv(m_nSocket, space, size_t(kReceiveBytes), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return false;
    if (got <= 0) {
        m_bPeerClosed = true;
        if (m_pNotifier)
            m_pNotifier->setEnabled(false);
        return false;
    }
    m_reader.Commit(got);
    return true;
}

void CGdbConnection::Closed()
{
    Break(m_reader.InPacket() ? QStringLiteral("%1 closed the connection in the middle of a packet.").arg(Where())
                              : QStringLiteral("%1 closed the connection.").arg(Where()));
}

void CGdbConnection::Pump()
{
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
        theGdbMonitor().OnPacket(false, item.payload);
        if (m_bAcknowledging) {
            m_bAckOwed = true;
            if (!m_ackTimer.isActive())
                m_ackTimer.start();
        }
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
        Break(QStringLiteral("%1 sent a packet longer than %2 bytes.").arg(Where()).arg(m_reader.Limit()));
        break;
    }
}

// --- waiting and failing -----------------------------------------------------

void CGdbConnection::WaitUntil(const std::function<bool()> &done, QByteArrayView request)
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

void CGdbConnection::WaitForData(const QDeadlineTimer &deadline, QByteArrayView request)
{
    if (m_bPeerClosed) {
        Closed();
        CheckUsable();
    }
    pollfd readable {m_nSocket, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&readable, 1, PollMs(deadline));
    while (ready < 0 && errno == EINTR);
    if (ready == 0)
        Fail(QStringLiteral("%1 did not answer \"%2\" within %3 seconds.")
                 .arg(Where(), CGdbPacket::Shown(request), SecondsText(m_nTimeoutMs)));
    Receive();
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
