#pragma once

#include <QWidget>

class QFormLayout;
class QTreeWidget;

// A debugger's window beside the main window: what the connection is, over a
// live list of its exchanges, the newest kept up to a limit. Closing it tells
// the form, which hides the debugger.
class CDebuggerWindow : public QWidget {
    Q_OBJECT
public:
    QTreeWidget *Exchanges() const { return m_exchanges; }

signals:
    // The user closed the window.
    void Closed();

protected:
    CDebuggerWindow(const QString &title, const QStringList &columns, QWidget *parent);
    QFormLayout *Facts() const { return m_facts; }
    // Adds a row of `columns` at the end, dropping the oldest row beyond `limit`.
    void Append(const QStringList &columns, int limit);
    void closeEvent(QCloseEvent *event) override;

private:
    QFormLayout *m_facts;
    QTreeWidget *m_exchanges;
};
