#include "SimulatorWindow.h"

#include "debugger/sim/SimMonitor.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

CSimulatorWindow::CSimulatorWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_processor(new QLabel(this))
    , m_component(new QLabel(this))
    , m_exchanges(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("Simulator"));
    m_component->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_exchanges->setHeaderLabels({QStringLiteral("Command"), QStringLiteral("Parameters"), QStringLiteral("Answer")});
    m_exchanges->setRootIsDecorated(false);
    m_exchanges->setUniformRowHeights(true);
    m_exchanges->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto *facts = new QFormLayout;
    facts->addRow(QStringLiteral("Processor:"), m_processor);
    facts->addRow(QStringLiteral("Target component:"), m_component);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addWidget(m_exchanges);
    resize(560, 360);

    connect(&theSimMonitor(), &CSimMonitor::Changed, this, &CSimulatorWindow::Reload);
    connect(&theSimMonitor(), &CSimMonitor::Exchanged, this, &CSimulatorWindow::Append);
    Reload();
}

void CSimulatorWindow::Reload()
{
    const CSimMonitor &monitor = theSimMonitor();
    m_processor->setText(monitor.HasProcessor() ? monitor.ProcessorText() : QStringLiteral("(none)"));
    m_component->setText(monitor.ComponentPath().isEmpty() ? QStringLiteral("(not loaded)")
                                                           : monitor.ComponentPath());
    m_exchanges->clear();
    for (const SimExchangeRecord &record : monitor.Records())
        Append(record);
}

void CSimulatorWindow::Append(const SimExchangeRecord &record)
{
    if (m_exchanges->topLevelItemCount() >= CSimMonitor::kMaxRecords)
        delete m_exchanges->takeTopLevelItem(0);
    auto *item = new QTreeWidgetItem(m_exchanges, {record.command, record.parameters, record.answer});
    m_exchanges->scrollToItem(item);
}

void CSimulatorWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit Closed();
}
