#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// What the program knows of one processor sub-family: how it is shown, its
// family, how target memory is addressed and moved, and its usual byte order.
struct SubfamilyInfo {
    enum class WordClass { Bits16, Bits32 };
    static constexpr qint32 kArmFamily = 470;

    qint32 code;             // as the debugger reports it: 0x64, 1 (ARM7), ...
    qint32 family;           // 320 (TMS320) or 470 (ARM)
    qint32 addressingUnit;   // bytes per address unit: 1 or 2
    WordClass wordClass;     // the element width of memory transfers
    bool bigEndian;          // the simulator's byte order unless the setup says otherwise

    // Bytes per element index of a transfer: 2 for the 16-bit class (0x55 too), else addressingUnit.
    qint32 TransferUnit() const { return wordClass == WordClass::Bits16 ? 2 : addressingUnit; }
    // "64x", "ARM7".
    QString Name() const;
};

// The sub-families in the order the built-in simulator lists them: 20x, 24x,
// 27x, 28x, 54x, 55x, 62x, 64x, 67x, ARM7, ARM9.
const QList<SubfamilyInfo> &KnownSubfamilies();
// The entry for a code, or null for a sub-family the program does not support.
const SubfamilyInfo *FindSubfamily(qint32 code);
// The entry shown as `name` ("64x", "arm7"; case is ignored), or null.
const SubfamilyInfo *FindSubfamilyByName(const QString &name);
