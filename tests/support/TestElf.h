#pragma once

#include <QByteArray>
#include <QtEndian>

// A small 32-bit ARM executable built byte by byte, for tests that mutate
// it: two loadable segments (the second zero-filled beyond its file bytes)
// whose physical addresses differ from their virtual ones, and a symbol
// table with theMessage and doMessageProc.
struct TestElf {
    static constexpr quint32 kEntry = 0x10000;
    static constexpr quint32 kText = 0x10000;
    static constexpr quint32 kData = 0x11000;
    static constexpr quint32 kMessageProc = 0x10004;
    static constexpr quint32 kDataMemoryBytes = 16;
    // Where the parts lie in the file.
    static constexpr int kProgramHeaders = 52;
    static constexpr int kTextBytes = 116;
    static constexpr int kDataBytes = 124;
    static constexpr int kStrings = 128;
    static constexpr int kSymbols = 156;
    static constexpr int kSectionHeaders = 204;
    static constexpr int kSize = 324;

    explicit TestElf(bool bigEndian = false);

    void Put16(int offset, quint16 value);
    void Put32(int offset, quint32 value);

    bool bigEndian;
    QByteArray bytes;
};
