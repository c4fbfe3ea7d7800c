#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One packet exchanged with a GDB server, as a window lists it.
struct GdbPacketRecord {
    bool sent;     // to the server; else from it
    QString text;  // the packet, printable and shortened
};

// The exchanges with the GDB server of the open connection, for a window:
// which server it is and the newest packets sent and received.
class CGdbMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRecords = 1000;

    // "127.0.0.1:1234"; empty without a connection.
    QString Server() const { return m_strServer; }
    // The newest kMaxRecords packets, oldest first; kept only while recording is on.
    const QList<GdbPacketRecord> &Records() const { return m_records; }
    // Off until a program with a window for it turns it on.
    void SetRecording(bool record) { m_bRecording = record; }

    void OnConnected(const QString &server);
    void OnClosed(const QString &server);
    void OnPacket(bool sent, QByteArrayView payload);

signals:
    // The connection changed; the records have been emptied.
    void Changed();
    // A record was added.
    void Recorded(const GdbPacketRecord &record);

private:
    void Reset(const QString &server);

    bool m_bRecording = false;
    QString m_strServer;
    QList<GdbPacketRecord> m_records;
};

// The program's one GDB monitor.
CGdbMonitor &theGdbMonitor();
