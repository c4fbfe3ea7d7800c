#pragma once

#include "GdbPacketReader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDeadlineTimer;
class QTcpSocket;

// A connection to a GDB server: packets sent and acknowledged, answers
// awaited for at most the timeout. Waiting blocks on the socket alone, so no
// other event runs meanwhile. A packet that comes while nothing is awaited (a
// stop reply) is kept and announced with Arrived.
//
// Every failure raises CAutomationError with a text naming the server; after
// one the connection stays broken and every call raises that failure again.
class CGdbConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRetries = 3;

    // A connection over `socket`, connected to `server` ("127.0.0.1:1234").
    CGdbConnection(std::unique_ptr<QTcpSocket> socket, const QString &server, qint32 timeoutMs);
    ~CGdbConnection() override;

    // Connects within `timeoutMs`; raises CAutomationError when that fails.
    static std::unique_ptr<CGdbConnection> Open(const QString &host, quint16 port, qint32 timeoutMs);
    // "127.0.0.1:1234", "[::1]:1234".
    static QString ServerText(const QString &host, quint16 port);

    QString Server() const { return m_strServer; }
    // Sends `packet` and returns its answer (error answers too).
    QByteArray Request(const QByteArray &packet);
    // Sends `packet` and returns when the server has acknowledged it.
    void Send(const QByteArray &packet);
    // The next packet from the server; `request` names what it answers.
    QByteArray Await(const QByteArray &request);
    // Sends the interrupt byte.
    void Interrupt();
    // After QStartNoAckMode: neither side acknowledges any more.
    void StopAcknowledging() { m_bAcknowledging = false; }
    // The packet that came while nothing was awaited, oldest first.
    std::optional<QByteArray> TakeArrived();
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
    void OnReadyRead();
    void OnDisconnected();
    void Pump();
    void Take(const CGdbPacketReader::Item &item);
    void Break(const QString &text);
    void Write(const QByteArray &bytes);
    void WaitUntil(const std::function<bool()> &done, const QByteArray &request);
    void WaitForData(const QDeadlineTimer &deadline, const QByteArray &request);

    std::unique_ptr<QTcpSocket> m_pSocket;
    QString m_strServer;
    qint32 m_nTimeoutMs;
    CGdbPacketReader m_reader;
    QList<QByteArray> m_packets;
    int m_nAcks = 0;
    int m_nNaks = 0;
    int m_nBadChecksums = 0;
    qint64 m_nLinkNs = 0;
    bool m_bAcknowledging = true;
    bool m_bWaiting = false;
    QString m_strBroken;
};
