#include "base/FileName.h"

#include <gtest/gtest.h>

namespace {

// Names as the system has them come back byte for byte; valid UTF-8 reads as text.
TEST(FileName, EveryNameComesBackByteForByte)
{
    const struct {
        QByteArray bytes;
        QString text;
    } names[] = {
        {"plain/board.cdd", QStringLiteral("plain/board.cdd")},
        {"caf\xc3\xa9.hex", QStringLiteral("caf\u00e9.hex")},
        {"caf\xe9.hex", QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".hex")},
        {"\xc3", QString(QChar(0xDCC3))},                                     // cut short
        {"\xc0\xaf", QString(QChar(0xDCC0)) + QChar(0xDCAF)},                // overlong "/"
        {"\xed\xa0\x80", QString(QChar(0xDCED)) + QChar(0xDCA0) + QChar(0xDC80)},  // a surrogate in UTF-8
        {"\xf0\x9f\x98\x80!", QString::fromUtf8("\xf0\x9f\x98\x80!")},
    };
    for (const auto &name : names) {
        SCOPED_TRACE(name.bytes.toHex().toStdString());
        EXPECT_EQ(CFileName::FromSystem(name.bytes), name.text);
        EXPECT_EQ(CFileName::ToSystem(name.text), name.bytes);
    }
}

} // namespace
