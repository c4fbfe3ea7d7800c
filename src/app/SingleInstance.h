#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Makes sure only one copy runs per user: the first copy listens on a local
// socket named after the main window class; a later copy finds it there.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(QObject *parent = nullptr);
    ~CSingleInstance() override;

    // The socket name: "CVMainWnd-" and the user id.
    static QString ServerName();

    enum class ClaimResult {
        Claimed,             // this is the first copy
        AnotherCopyRunning,  // a running copy answered
        Unavailable,         // no socket could be made; runs unguarded
    };
    ClaimResult Claim();
    // Asks the running copy to bring its window to the front.
    static bool ActivateRunningCopy();

signals:
    // Another copy asked this one to come to the front.
    void ActivationRequested();

private:
    void OnNewConnection();

    QLocalServer *m_server = nullptr;
};
