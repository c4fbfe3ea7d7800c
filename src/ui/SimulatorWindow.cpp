#include "SimulatorWindow.h"

#include "debugger/sim/SimMonitor.h"

#include <QFormLayout>
#include <QLabel>
#include <QTreeWidget>

CSimulatorWindow::CSimulatorWindow(QWidget *parent)
    : CDebuggerWindow(QStringLiteral("Simulator"),
                      {QStringLiteral("Command"), QStringLiteral("Parameters"), QStringLiteral("Answer")}, parent)
    , m_processor(new QLabel(this))
    , m_component(new QLabel(this))
{
    m_component->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Facts()->addRow(QStringLiteral("Processor:"), m_processor);
    Facts()->addRow(QStringLiteral("Target component:"), m_component);
    connect(&theSimMonitor(), &CSimMonitor::Changed, this, &CSimulatorWindow::Reload);
    connect(&theSimMonitor(), &CSimMonitor::Exchanged, this, &CSimulatorWindow::Add);
    Reload();
}

void CSimulatorWindow::Reload()
{
    const CSimMonitor &monitor = theSimMonitor();
    m_processor->setText(monitor.HasProcessor() ? monitor.ProcessorText() : QStringLiteral("(none)"));
    m_component->setText(monitor.ComponentPath().isEmpty() ? QStringLiteral("(not loaded)")
                                                           : monitor.ComponentPath());
    Exchanges()->clear();
    for (const SimExchangeRecord &record : monitor.Records())
        Add(record);
}

void CSimulatorWindow::Add(const SimExchangeRecord &record)
{
    Append({record.command, record.parameters, record.answer}, CSimMonitor::kMaxRecords);
}
