#pragma once

#include <QList>
#include <QObject>
#include <QString>

class CommMessage;

// One request answered by a simulated processor, as the simulator window lists it.
struct SimExchangeRecord {
    QString command;     // "WriteFlash"
    QString parameters;  // the parameter words: "0x0000 0x0100 0x0100"
    QString answer;      // the answer's command and parameter words in use
};

// What the connected simulated processor is doing, for the simulator window:
// which processor it is, the target component it loaded and the messages it
// answered since it was connected.
class CSimMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRecords = 1000;

    bool HasProcessor() const { return m_pProcessor != nullptr; }
    // "Simulator 64x (CPU), 64x"; empty without a processor.
    QString ProcessorText() const { return m_strProcessor; }
    // The loaded component file; empty before a load.
    QString ComponentPath() const { return m_strComponent; }
    // The newest kMaxRecords exchanges, oldest first; kept only while recording is on.
    const QList<SimExchangeRecord> &Records() const { return m_records; }
    // Off until a program with a simulator window turns it on.
    void SetRecordingExchanges(bool record) { m_bRecording = record; }

    // Reports of the simulated processors; `processor` tells them apart.
    void OnConnected(const void *processor, const QString &board, const QString &name, const QString &subfamily);
    void OnReleased(const void *processor);
    void OnLoaded(const void *processor, const QString &path);
    void OnExchanged(const void *processor, const CommMessage &request, const CommMessage &answer);

    // "0x0000 0x0100 0x0000": the first three parameter words, and more up to the last non-zero one.
    static QString ParameterText(const CommMessage &message);

signals:
    // The processor or its component changed; the records may have been emptied.
    void Changed();
    // A record was added.
    void Exchanged(const SimExchangeRecord &record);

private:
    const void *m_pProcessor = nullptr;
    bool m_bRecording = false;
    QString m_strProcessor;
    QString m_strComponent;
    QList<SimExchangeRecord> m_records;
};

// The program's one simulator monitor.
CSimMonitor &theSimMonitor();
