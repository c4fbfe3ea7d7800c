#pragma once

#include <QList>
#include <QtGlobal>

// The logical flash offsets of the 16 rows of 16 bytes in a 256-byte page that
// starts at `pageStart`, counted in address units of `addressingUnit` bytes;
// the address list a TranslateAddresses request carries.
QList<quint32> PageRowOffsets(quint32 pageStart, int addressingUnit);
