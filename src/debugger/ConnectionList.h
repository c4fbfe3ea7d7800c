#pragma once

#include "SetupBoard.h"
#include "base/Result.h"

#include <QList>
#include <QString>
#include <QtGlobal>

class CTargetLink;
struct SetupBoard;
struct SetupProcessor;

// The connections the setup offers: one entry "BOARD (PROCESSOR)" per
// processor that is not bypassed, boards and processors in setup order, then
// "Disconnected". An entry's item data encodes where the connection is:
// bits 31-24 are 1 for a hardware connection, bits 23-16 the board index,
// bits 15-0 the processor's position among the board's processors that are
// not bypassed.
class CConnectionList {
public:
    struct Entry {
        QString text;
        quint32 itemData;
        // The backend of a hardware connection; Bypass for "Disconnected".
        SetupProcessor::Kind kind = SetupProcessor::Kind::Bypass;
    };

    static constexpr quint32 kHardwareConnection = 1;

    // Rebuilds the list from a new setup object of `link`. After a failure the
    // list is empty, without "Disconnected", and the failure is returned.
    CResult Examine(CTargetLink &link);

    const QList<Entry> &Entries() const { return m_entries; }
    // The index of "Disconnected", or -1 when the list has none.
    qint32 DisconnectedIndex() const { return m_nDisconnectedIndex; }
    // The first entry whose text equals `text` ignoring case, searched from
    // the second entry on and then the first; -1 when none.
    qint32 FindExactText(const QString &text) const;
    // The first entry with this item data, or -1.
    qint32 FindItemData(quint32 itemData) const;

    // "BOARD (PROCESSOR)".
    static QString EntryText(const SetupBoard &board, const SetupProcessor &processor);
    static quint32 MakeItemData(qint32 boardIndex, qint32 position);
    static bool IsHardwareConnection(quint32 itemData) { return (itemData >> 24) == kHardwareConnection; }
    static qint32 BoardIndexOf(quint32 itemData) { return qint32((itemData >> 16) & 0xFF); }
    static qint32 ProcessorIndexOf(quint32 itemData) { return qint32(itemData & 0xFFFF); }

private:
    QList<Entry> m_entries;
    qint32 m_nDisconnectedIndex = -1;
};
