#pragma once

#include <QWidget>

class QLabel;
class QTreeWidget;
struct SimExchangeRecord;

// The debugger window of a simulated processor: the processor, its loaded
// target component and a live list of the messages it answered.
class CSimulatorWindow : public QWidget {
    Q_OBJECT
public:
    explicit CSimulatorWindow(QWidget *parent = nullptr);

    QTreeWidget *Exchanges() const { return m_exchanges; }

signals:
    // The user closed the window.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Reload();
    void Append(const SimExchangeRecord &record);

    QLabel *m_processor;
    QLabel *m_component;
    QTreeWidget *m_exchanges;
};
