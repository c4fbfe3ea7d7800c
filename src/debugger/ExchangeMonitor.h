#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One message exchanged with a debugger program, as a window lists it.
struct ExchangeRecord {
    bool sent;     // to the debugger; else from it
    QString text;  // the message, printable and shortened
};

// The exchanges of a backend's open connection with its debugger program, for
// a window: where the connection leads and the newest messages sent and received.
class CExchangeMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRecords = 1000;

    // "127.0.0.1:1234"; empty without a connection.
    QString Server() const { return m_strServer; }
    // The newest kMaxRecords messages, oldest first; kept only while recording is on.
    const QList<ExchangeRecord> &Records() const { return m_records; }
    // Off unless a window shows the records: the backends build no text for them then.
    void SetRecording(bool record) { m_bRecording = record; }

    void OnConnected(const QString &server);
    void OnClosed(const QString &server);
    // `text` as the window shows it.
    void OnExchange(bool sent, const QString &text);
    // Records the text `show()` makes; builds nothing while not recording.
    template <typename Show>
    void Record(bool sent, Show &&show)
    {
        if (m_bRecording)
            OnExchange(sent, show());
    }

signals:
    // The connection changed; the records have been emptied.
    void Changed();
    // A record was added.
    void Recorded(const ExchangeRecord &record);

private:
    void Reset(const QString &server);

    bool m_bRecording = false;
    QString m_strServer;
    QList<ExchangeRecord> m_records;
};

// The program's monitor of GDB server packets.
CExchangeMonitor &theGdbMonitor();
// The program's monitor of the lines exchanged with the CCS bridge.
CExchangeMonitor &theCcsMonitor();
