#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into an orderly end of the event loop with
// exit status 1, so that the log file and other state are still written.
// Further signals are taken as the same request.
class CSignalExit : public QObject {
    Q_OBJECT
public:
    explicit CSignalExit(QObject *parent = nullptr);
    ~CSignalExit() override;

    // The log's record of a run ended by `signalNumber`.
    static QString LogText(int signalNumber);
    // For a wait outside the event loop (a child process): emits Received now
    // when a signal has arrived; true when one has.
    static bool TakePending();

signals:
    // Emitted once, with the number of the first signal received.
    void Received(int signalNumber);

private:
    bool TakeSignal();

    QSocketNotifier *m_notifier = nullptr;
    bool m_bReceived = false;
};
