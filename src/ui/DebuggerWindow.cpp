#include "DebuggerWindow.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

CDebuggerWindow::CDebuggerWindow(const QString &title, const QStringList &columns, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_facts(new QFormLayout)
    , m_exchanges(new QTreeWidget(this))
{
    setWindowTitle(title);
    m_exchanges->setHeaderLabels(columns);
    m_exchanges->setRootIsDecorated(false);
    m_exchanges->setUniformRowHeights(true);
    m_exchanges->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_facts);
    layout->addWidget(m_exchanges);
    resize(560, 360);
}

void CDebuggerWindow::Append(const QStringList &columns, int limit)
{
    if (m_exchanges->topLevelItemCount() >= limit)
        delete m_exchanges->takeTopLevelItem(0);
    auto *item = new QTreeWidgetItem(m_exchanges, columns);
    m_exchanges->scrollToItem(item);
}

void CDebuggerWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit Closed();
}
