#pragma once

#include "GdbFrame.h"
#include "GdbPacketReader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

class QDeadlineTimer;
class QSocketNotifier;
class QTcpSocket;

// A connection to a GDB server: packets sent and acknowledged, answers
// awaited for at most the timeout. Waiting blocks on the socket alone, so no
// other event runs meanwhile. A packet that comes while nothing is awaited (a
// stop reply) is kept and announced with Arrived, from the event loop.
//
// Each packet goes out in one write. While the server wants acknowledgements,
// the one a received packet is owed travels with the next packet sent, or
// alone once the event loop is idle.
//
// Every failure raises CAutomationError with a text naming the server; after
// one the connection stays broken and every call raises that failure again.
class CGdbConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRetries = 3;
    static constexpr qsizetype kMinReplyLimit = 4096;

    // A connection over `socket`, connected to `server` ("127.0.0.1:1234");
    // the connection takes the socket's descriptor over.
    CGdbConnection(std::unique_ptr<QTcpSocket> socket, const QString &server, qint32 timeoutMs);
    ~CGdbConnection() override;

    // Connects within `timeoutMs`; raises CAutomationError when that fails.
    static std::unique_ptr<CGdbConnection> Open(const QString &host, quint16 port, qint32 timeoutMs);
    // "127.0.0.1:1234", "[::1]:1234".
    static QString ServerText(const QString &host, quint16 port);

    // The longest frame the server takes ("$", payload, "#" and checksum);
    // packets it sends may take twice that (binary data escaped), and at least kMinReplyLimit.
    void SetPacketSize(qint32 bytes);
    // Sends `packet` and returns when the server has acknowledged it; a packet
    // longer than the server takes is refused before anything is sent.
    void Send(QByteArrayView packet);
    // The same for a packet built in its frame.
    void Send(CGdbFrame &frame);
    // The next packet from the server; `request` names what it answers.
    QByteArray Await(QByteArrayView request);
    // Sends the interrupt byte.
    void Interrupt();
    // After QStartNoAckMode: neither side acknowledges any more.
    void StopAcknowledging() { m_bAcknowledging = false; }
    // A packet that came while nothing was awaited and is already read, oldest first.
    std::optional<QByteArray> TakeArrived();
    bool HasArrived();
    // Raises the failure that broke the connection, if one did.
    void CheckUsable() const;
    bool IsBroken() const { return !m_strBroken.isEmpty(); }
    // Milliseconds spent sending packets and waiting for their answers.
    qint64 LinkMs() const { return m_nLinkNs / 1000000; }
    // Breaks the connection with `text` ("GDB server ... " and more) and raises it.
    [[noreturn]] void Fail(const QString &text);
    // "GDB server 127.0.0.1:1234".
    QString Where() const;

signals:
    // A packet came, or the connection broke, while nothing was awaited.
    void Arrived();

private:
    void OnReadable();
    void Pump();
    void Take(const CGdbPacketReader::Item &item);
    void Break(const QString &text);
    void Write(QByteArrayView bytes);
    void FlushAcknowledgement();
    void WaitUntil(const std::function<bool()> &done, QByteArrayView request);
    void WaitForData(const QDeadlineTimer &deadline, QByteArrayView request);
    bool Receive();
    void Closed();

    int m_nSocket = -1;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    QString m_strServer;
    qint32 m_nTimeoutMs;
    qsizetype m_nPacketSize = std::numeric_limits<qsizetype>::max();
    CGdbPacketReader m_reader;
    CGdbFrame m_frame;
    QList<QByteArray> m_packets;
    QTimer m_ackTimer;
    int m_nAcks = 0;
    int m_nNaks = 0;
    int m_nBadChecksums = 0;
    qint64 m_nLinkNs = 0;
    bool m_bAcknowledging = true;
    bool m_bAckOwed = false;
    bool m_bWaiting = false;
    bool m_bPeerClosed = false;
    QString m_strBroken;
};
