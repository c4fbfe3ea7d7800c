#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

// Text to 32-bit number: decimal, "0x" hexadecimal, leading-0 octal, and the
// upper-case suffixes H (hexadecimal), Q (octal) and B (binary). A text without
// digits gives 0; results beyond the 32-bit range saturate.
qint32 ParseSigned(QStringView text);
quint32 ParseUnsigned(QStringView text);
// Whether the parsers read all of `text` as one number within 32 bits (either sign).
bool IsNumberText(QStringView text);
// The notations above as users are told them.
QString NumberNotations();
