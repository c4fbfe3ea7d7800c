#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Makes sure only one copy runs per user: the first copy listens on a local
// socket named after the main window class, in a folder only the user can
// enter, with mode 0600; a later copy finds it there. What answers for
// another user is no running copy, and is never taken over.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(QObject *parent = nullptr);
    ~CSingleInstance() override;

    // $XDG_RUNTIME_DIR when it is the user's own folder with mode 0700, else
    // "corvane-" and the user id in $TMPDIR (or /tmp), made so; empty when
    // neither is private.
    static QString PrivateFolder();
    // The socket: "CVMainWnd-" and the user id in the private folder; empty without one.
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
    bool Listen(const QString &name);
    void OnNewConnection();

    QLocalServer *m_server = nullptr;
};
