#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into an orderly end of the event loop with exit
// status 1, so that the log file and other state are still written. A second
// signal ends the process at once.
class CSignalExit : public QObject {
    Q_OBJECT
public:
    explicit CSignalExit(QObject *parent = nullptr);
    ~CSignalExit() override;

    // The log's record of a run ended by `signalNumber`.
    static QString LogText(int signalNumber);

signals:
    // Emitted from the event loop with the number of the signal received.
    void Received(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier *m_notifier = nullptr;
};
