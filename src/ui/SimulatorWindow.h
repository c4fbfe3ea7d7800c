#pragma once

#include "DebuggerWindow.h"

class QLabel;
struct SimExchangeRecord;

// The debugger window of a simulated processor: the processor, its loaded
// target component and a live list of the messages it answered.
class CSimulatorWindow : public CDebuggerWindow {
    Q_OBJECT
public:
    explicit CSimulatorWindow(QWidget *parent = nullptr);

private:
    void Reload();
    void Add(const SimExchangeRecord &record);

    QLabel *m_processor;
    QLabel *m_component;
};
