#pragma once

#include "debugger/SetupBoard.h"

#include <QString>
#include <QTemporaryDir>

// A QEMU versatilepb board for tests, on a free loopback port, with a 64 MiB
// flash file: the setup that has Corvane start it, and the setup file lines.
class QemuGdbServer {
public:
    QemuGdbServer();

    // Why QEMU cannot run here; empty when it can.
    static QString Unavailable();

    const SetupGdbServer &Setup() const { return m_setup; }
    // "kind = gdb" ... "start = qemu-system-arm ...", one key a line.
    QString SetupLines() const;
    QString Folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    SetupGdbServer m_setup;
};
