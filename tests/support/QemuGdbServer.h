#pragma once

#include "debugger/SetupBoard.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A QEMU versatilepb board for tests, on a free loopback port, with a 64 MiB
// flash file: the setup that has Corvane start it, the setup file lines, or
// QEMU started here and stopped by its pid.
class QemuGdbServer {
public:
    QemuGdbServer();
    ~QemuGdbServer();

    // Why QEMU cannot run here; empty when it can.
    static QString Unavailable();

    const SetupGdbServer &Setup() const { return m_setup; }
    // "kind = gdb" ... "start = qemu-system-arm ...", one key a line; without
    // the start line when QEMU runs here.
    QString SetupLines() const;
    QString Folder() const { return m_dir.path(); }
    QString FlashFile() const;

    // Starts QEMU here (Corvane then only connects); true once its port accepts.
    bool StartHere();
    // Kills the QEMU started here.
    void Kill();
    qint64 ProcessId() const { return m_process.processId(); }

private:
    QTemporaryDir m_dir;
    SetupGdbServer m_setup;
    QProcess m_process;
};
