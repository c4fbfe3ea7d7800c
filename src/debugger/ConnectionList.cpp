#include "ConnectionList.h"

#include "DebuggerSetup.h"
#include "TargetLink.h"
#include "base/MessageLog.h"
#include "base/ScopedStatusText.h"

CResult CConnectionList::Examine(CTargetLink &link)
{
    m_entries.clear();
    m_nDisconnectedIndex = -1;
    CScopedStatusText status(QStringLiteral("Examining available hardware connections"));

    IDebuggerSetup *setup = link.RenewSetup();
    if (!setup)
        return CFailure::Logged(QStringLiteral("Failed to create Code Composer Setup instance\r\n"),
                                CFailure::Then::RunGoesOn);
    const SetupBoardList list = setup->BoardList();
    if (list.status < 0) {
        if (!list.error.isEmpty())
            theLog.Add(list.error + QStringLiteral("\r\n"));
        return CFailure::Logged(QStringLiteral("Failed to get board list from Code Composer Setup\r\n"),
                                CFailure::Then::RunGoesOn);
    }
    for (qint32 b = 0; b < list.boards.size(); ++b) {
        const SetupBoard &board = list.boards[b];
        qint32 position = 0;
        for (const SetupProcessor &processor : board.processors) {
            if (processor.kind == SetupProcessor::Kind::Bypass)
                continue;
            m_entries.append({EntryText(board, processor), MakeItemData(b, position), processor.kind});
            ++position;
        }
    }
    m_entries.append({QStringLiteral("Disconnected"), 0});
    m_nDisconnectedIndex = qint32(m_entries.size() - 1);
    return {};
}

qint32 CConnectionList::FindExactText(const QString &text) const
{
    const qint32 count = qint32(m_entries.size());
    for (qint32 step = 1; step <= count; ++step) {
        const qint32 index = step % count;
        if (m_entries[index].text.compare(text, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

qint32 CConnectionList::FindItemData(quint32 itemData) const
{
    for (qint32 i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].itemData == itemData)
            return i;
    }
    return -1;
}

QString CConnectionList::EntryText(const SetupBoard &board, const SetupProcessor &processor)
{
    return QStringLiteral("%1 (%2)").arg(board.name, processor.name);
}

quint32 CConnectionList::MakeItemData(qint32 boardIndex, qint32 position)
{
    return ((0x100u | (quint32(boardIndex) & 0xFF)) << 16) | (quint32(position) & 0xFFFF);
}
