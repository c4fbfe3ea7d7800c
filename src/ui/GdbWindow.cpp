#include "GdbWindow.h"

#include "debugger/gdb/GdbMonitor.h"

#include <QFormLayout>
#include <QLabel>
#include <QTreeWidget>

CGdbWindow::CGdbWindow(QWidget *parent)
    : CDebuggerWindow(QStringLiteral("GDB server"), {QStringLiteral(""), QStringLiteral("Packet")}, parent)
    , m_server(new QLabel(this))
{
    m_server->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Facts()->addRow(QStringLiteral("Server:"), m_server);
    connect(&theGdbMonitor(), &CGdbMonitor::Changed, this, &CGdbWindow::Reload);
    connect(&theGdbMonitor(), &CGdbMonitor::Recorded, this, &CGdbWindow::Add);
    Reload();
}

void CGdbWindow::showEvent(QShowEvent *event)
{
    theGdbMonitor().SetRecording(true);
    CDebuggerWindow::showEvent(event);
}

void CGdbWindow::hideEvent(QHideEvent *event)
{
    theGdbMonitor().SetRecording(false);
    CDebuggerWindow::hideEvent(event);
}

void CGdbWindow::Reload()
{
    const CGdbMonitor &monitor = theGdbMonitor();
    m_server->setText(monitor.Server().isEmpty() ? QStringLiteral("(not connected)") : monitor.Server());
    Exchanges()->clear();
    for (const GdbPacketRecord &record : monitor.Records())
        Add(record);
}

// "->" for a packet sent to the server, "<-" for one it sent.
void CGdbWindow::Add(const GdbPacketRecord &record)
{
    Append({record.sent ? QStringLiteral("->") : QStringLiteral("<-"), record.text}, CGdbMonitor::kMaxRecords);
}
