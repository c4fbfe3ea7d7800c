#pragma once

#include "debugger/SetupBoard.h"

#include <QProcess>

#include <memory>

class CGdbConnection;

// A GDB server program that Corvane starts itself (the setup's "start"): it
// runs while the connection is open and ends with this object, or with
// Corvane. Its output goes to the log when it cannot start or ends early.
class CGdbServerProcess {
public:
    static constexpr int kRetryMs = 50;
    static constexpr qsizetype kLoggedOutput = 300;

    explicit CGdbServerProcess(const SetupGdbServer &server);
    ~CGdbServerProcess();
    CGdbServerProcess(const CGdbServerProcess &) = delete;
    CGdbServerProcess &operator=(const CGdbServerProcess &) = delete;

    // Starts the program and connects once its port accepts connections,
    // within the start timeout; raises CAutomationError when that fails.
    std::unique_ptr<CGdbConnection> StartAndConnect();

private:
    [[noreturn]] void Fail(const QString &text);
    void LogOutput();

    SetupGdbServer m_server;
    QString m_strServer;
    QProcess m_process;
    bool m_bStopping = false;
};
