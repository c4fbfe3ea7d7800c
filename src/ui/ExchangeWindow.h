#pragma once

#include "DebuggerWindow.h"

class CExchangeMonitor;
class QLabel;
struct ExchangeRecord;

// The debugger window of a connection to a debugger program (a GDB server, the
// CCS bridge): where it leads and a live list of the messages exchanged, one line each.
class CExchangeWindow : public CDebuggerWindow {
    Q_OBJECT
public:
    struct Kind {
        QString title;     // "GDB server"
        QString where;     // "Server:"
        QString message;   // the column of the messages: "Packet"
    };
    static Kind Gdb();
    static Kind Ccs();

    CExchangeWindow(const Kind &kind, CExchangeMonitor &monitor, QWidget *parent = nullptr);

    const CExchangeMonitor &Monitor() const { return m_monitor; }

protected:
    // The monitor records only while the window is shown (a hidden window costs the link nothing).
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void Reload();
    void Add(const ExchangeRecord &record);

    CExchangeMonitor &m_monitor;
    QLabel *m_server;
};
