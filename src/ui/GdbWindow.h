#pragma once

#include "DebuggerWindow.h"

class QLabel;
struct GdbPacketRecord;

// The debugger window of a GDB connection: the server and a live list of the
// packets exchanged with it, one line each, recorded only while the window is
// shown (a hidden window costs the link nothing).
class CGdbWindow : public CDebuggerWindow {
    Q_OBJECT
public:
    explicit CGdbWindow(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void Reload();
    void Add(const GdbPacketRecord &record);

    QLabel *m_server;
};
