#include "support/TestElf.h"

namespace {
constexpr char kNames[] = "\0theMessage\0doMessageProc";   // the names start at 1 and 12
} // namespace

TestElf::TestElf(bool big)
    : bigEndian(big)
    , bytes(kSize, '\0')
{
    bytes.replace(0, 4, "\x7f" "ELF");
    bytes[4] = 1;                 // 32-bit
    bytes[5] = big ? 2 : 1;       // byte order
    bytes[6] = 1;                 // version
    Put16(16, 2);                 // executable
    Put16(18, 40);                // ARM
    Put32(20, 1);
    Put32(24, kEntry);
    Put32(28, kProgramHeaders);
    Put32(32, kSectionHeaders);
    Put16(40, 52);
    Put16(42, 32);
    Put16(44, 2);
    Put16(46, 40);
    Put16(48, 3);
    // Segments: file offset, virtual and physical address, sizes in the file and in memory.
    const quint32 segments[2][5] = {{kTextBytes, 0x80000000 | kText, kText, 8, 8},
                                    {kDataBytes, 0x80000000 | kData, kData, 4, kDataMemoryBytes}};
    for (int i = 0; i < 2; ++i) {
        const int header = kProgramHeaders + 32 * i;
        Put32(header, 1);   // PT_LOAD
        for (int field = 0; field < 5; ++field)
            Put32(header + 4 + 4 * field, segments[i][field]);
    }
    bytes.replace(kTextBytes, 8, "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    bytes.replace(kDataBytes, 4, "\x11\x22\x33\x44", 4);
    bytes.replace(kStrings, sizeof(kNames), kNames, sizeof(kNames));
    // Symbols 1 and 2: name, value, section.
    Put32(kSymbols + 16, 1);
    Put32(kSymbols + 20, kData);
    Put16(kSymbols + 30, 1);
    Put32(kSymbols + 32, 12);
    Put32(kSymbols + 36, kMessageProc);
    Put16(kSymbols + 46, 1);
    // Section 1 is the symbol table, section 2 its string table.
    const int symtab = kSectionHeaders + 40;
    Put32(symtab + 4, 2);
    Put32(symtab + 16, kSymbols);
    Put32(symtab + 20, 48);
    Put32(symtab + 24, 2);
    Put32(symtab + 36, 16);
    const int strtab = kSectionHeaders + 80;
    Put32(strtab + 4, 3);
    Put32(strtab + 16, kStrings);
    Put32(strtab + 20, sizeof(kNames));
}

void TestElf::Put16(int offset, quint16 value)
{
    bigEndian ? qToBigEndian(value, bytes.data() + offset) : qToLittleEndian(value, bytes.data() + offset);
}

void TestElf::Put32(int offset, quint32 value)
{
    bigEndian ? qToBigEndian(value, bytes.data() + offset) : qToLittleEndian(value, bytes.data() + offset);
}
