#include "ConfiguredApplication.h"

#include "ConfiguredBoard.h"

CConfiguredApplication::CConfiguredApplication(const QList<SetupBoard> &boards)
{
    for (const SetupBoard &board : boards)
        m_boards.append(std::make_shared<CConfiguredBoard>(board));
}

std::shared_ptr<IDebuggerBoard> CConfiguredApplication::Board(qint32 index)
{
    if (index < 0 || index >= m_boards.size())
        return nullptr;
    return m_boards[index];
}
