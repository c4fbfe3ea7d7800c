#pragma once

#include "DebuggerApplication.h"
#include "SetupBoard.h"

#include <QList>

class CConfiguredBoard;

// The debugger application over the boards of the setup: each processor is
// served by the backend its setup entry names.
class CConfiguredApplication : public IDebuggerApplication {
public:
    explicit CConfiguredApplication(const QList<SetupBoard> &boards);

    bool IsVisible() override { return m_bVisible; }
    void SetVisible(bool visible) override { m_bVisible = visible; }
    qint32 BoardCount() override { return qint32(m_boards.size()); }
    std::shared_ptr<IDebuggerBoard> Board(qint32 index) override;

private:
    QList<std::shared_ptr<CConfiguredBoard>> m_boards;
    bool m_bVisible = false;
};
