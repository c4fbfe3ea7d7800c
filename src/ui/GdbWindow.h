#pragma once

#include "DebuggerWindow.h"

class QLabel;
struct GdbPacketRecord;

// The debugger window of a GDB connection: the server and a live list of the
// packets exchanged with it, one line each.
class CGdbWindow : public CDebuggerWindow {
    Q_OBJECT
public:
    explicit CGdbWindow(QWidget *parent = nullptr);

private:
    void Reload();
    void Add(const GdbPacketRecord &record);

    QLabel *m_server;
};
