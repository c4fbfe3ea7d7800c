#include "ExchangeWindow.h"

#include "debugger/ExchangeMonitor.h"

#include <QFormLayout>
#include <QLabel>
#include <QTreeWidget>

CExchangeWindow::Kind CExchangeWindow::Gdb()
{
    return {QStringLiteral("GDB server"), QStringLiteral("Server:"), QStringLiteral("Packet")};
}

CExchangeWindow::Kind CExchangeWindow::Ccs()
{
    return {QStringLiteral("Code Composer Studio"), QStringLiteral("Debugger:"), QStringLiteral("Bridge line")};
}

CExchangeWindow::CExchangeWindow(const Kind &kind, CExchangeMonitor &monitor, QWidget *parent)
    : CDebuggerWindow(kind.title, {QStringLiteral(""), kind.message}, parent)
    , m_monitor(monitor)
    , m_server(new QLabel(this))
{
    m_server->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Facts()->addRow(kind.where, m_server);
    connect(&m_monitor, &CExchangeMonitor::Changed, this, &CExchangeWindow::Reload);
    connect(&m_monitor, &CExchangeMonitor::Recorded, this, &CExchangeWindow::Add);
    Reload();
}

void CExchangeWindow::showEvent(QShowEvent *event)
{
    m_monitor.SetRecording(true);
    CDebuggerWindow::showEvent(event);
}

void CExchangeWindow::hideEvent(QHideEvent *event)
{
    m_monitor.SetRecording(false);
    CDebuggerWindow::hideEvent(event);
}

void CExchangeWindow::Reload()
{
    m_server->setText(m_monitor.Server().isEmpty() ? QStringLiteral("(not connected)") : m_monitor.Server());
    Exchanges()->clear();
    for (const ExchangeRecord &record : m_monitor.Records())
        Add(record);
}

// "->" for a message sent to the debugger program, "<-" for one it sent.
void CExchangeWindow::Add(const ExchangeRecord &record)
{
    Append({record.sent ? QStringLiteral("->") : QStringLiteral("<-"), record.text}, CExchangeMonitor::kMaxRecords);
}
