#include "support/TestElf.h"

#include "debugger/gdb/ElfProgram.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(ElfProgram, ReadsSegmentsAtTheirPhysicalAddressesEntryAndSymbols)
{
    for (const bool bigEndian : {false, true}) {
        QString reason;
        const std::optional<CElfProgram> program = CElfProgram::Read(TestElf(bigEndian).bytes, bigEndian, reason);
        ASSERT_TRUE(program) << reason.toStdString();
        EXPECT_EQ(program->Entry(), TestElf::kEntry);
        ASSERT_EQ(program->Segments().size(), 2);
        EXPECT_EQ(program->Segments()[0].address, TestElf::kText);
        EXPECT_EQ(program->Segments()[0].bytes, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
        EXPECT_EQ(program->Segments()[1].address, TestElf::kData);
        EXPECT_EQ(program->Segments()[1].bytes, QByteArray("\x11\x22\x33\x44"));
        EXPECT_EQ(program->Segments()[1].memoryBytes, TestElf::kDataMemoryBytes);
        EXPECT_EQ(program->Symbol(QStringLiteral("theMessage")), TestElf::kData);
        EXPECT_EQ(program->Symbol(QStringLiteral("doMessageProc")), TestElf::kMessageProc);
        EXPECT_FALSE(program->Symbol(QStringLiteral("theUserData")));
    }
}

TEST(ElfProgram, EveryBadOffsetOrSizeIsAReason)
{
    struct Case {
        int offset;
        int width;   // 1, 2 or 4 bytes; 0 cuts the file to `value` bytes
        quint32 value;
        const char *reason;
    };
    const int phdr1 = TestElf::kProgramHeaders + 32;
    const int symtab = TestElf::kSectionHeaders + 40;
    const int strtab = TestElf::kSectionHeaders + 80;
    for (const Case &c : {
             Case {0, 0, 3, "it does not start with the ELF magic number"},
             Case {0, 0, 40, "the file is shorter than an ELF header"},
             Case {0, 0, 150, "the section header table runs past the end of the file"},
             Case {4, 1, 2, "it is not a 32-bit ELF file"},
             Case {5, 1, 2, "it is big-endian and the processor little-endian"},
             Case {18, 2, 3, "it is for machine 3, not ARM (40)"},
             Case {16, 2, 1, "it is not an executable (its type is 1)"},
             Case {28, 4, 300, "the program header table runs past the end of the file"},
             Case {28, 4, 0xFFFFFFF0, "the program header table runs past the end of the file"},
             Case {44, 2, 0, "it has no program header table"},
             Case {42, 2, 31, "its program headers are 31 bytes long, not 32"},
             Case {phdr1 + 4, 4, 322, "segment 1 runs past the end of the file"},
             Case {phdr1 + 16, 4, 0xFFFFFFFF, "segment 1 runs past the end of the file"},
             Case {TestElf::kProgramHeaders + 16, 4, 9, "segment 0 holds more bytes in the file than in memory"},
             Case {phdr1 + 20, 4, 0x10000000, "segment 1 is larger than 64 MiB"},
             Case {phdr1 + 12, 4, 0xFFFFFFF8, "segment 1 runs past the end of the address space"},
             Case {32, 4, 300, "the section header table runs past the end of the file"},
             Case {46, 2, 39, "its section headers are 39 bytes long, not 40"},
             Case {symtab + 16, 4, 1000, "the symbol table runs past the end of the file"},
             Case {symtab + 20, 4, 0xFFFFFFF0, "the symbol table runs past the end of the file"},
             Case {symtab + 36, 4, 12, "its symbols are 12 bytes long, not 16"},
             Case {symtab + 24, 4, 7, "the symbol table has no string table"},
             Case {symtab + 24, 4, 1, "the symbol table has no string table"},
             Case {strtab + 20, 4, 500, "the symbol names run past the end of the file"},
             Case {TestElf::kSymbols + 32, 4, 400, "the name of symbol 2 lies outside its string table"},
         }) {
        SCOPED_TRACE(c.reason);
        TestElf elf;
        if (c.width == 0)
            elf.bytes.truncate(c.value);
        else if (c.width == 1)
            elf.bytes[c.offset] = char(c.value);
        else if (c.width == 2)
            elf.Put16(c.offset, quint16(c.value));
        else
            elf.Put32(c.offset, c.value);
        QString reason;
        EXPECT_FALSE(CElfProgram::Read(elf.bytes, false, reason));
        EXPECT_EQ(reason, QLatin1String(c.reason));
    }
}

TEST(ElfProgram, NamesWithoutTheirEndAreRefused)
{
    TestElf elf;
    elf.Put32(TestElf::kSectionHeaders + 80 + 20, 20);   // the string table ends inside "doMessageProc"
    QString reason;
    EXPECT_FALSE(CElfProgram::Read(elf.bytes, false, reason));
    EXPECT_EQ(reason, QStringLiteral("the name of symbol 2 lies outside its string table"));
}

#ifdef CORVANE_TINY_ARM_ELF
TEST(ElfProgram, ReadsWhatTheCrossCompilerMade)
{
    QFile file(QStringLiteral(CORVANE_TINY_ARM_ELF));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString reason;
    const std::optional<CElfProgram> program = CElfProgram::Read(file.readAll(), false, reason);
    ASSERT_TRUE(program) << reason.toStdString();
    EXPECT_EQ(program->Entry(), 0x10000u);
    EXPECT_EQ(program->Symbol(QStringLiteral("_start")), 0x10000u);
    EXPECT_TRUE(program->Symbol(QStringLiteral("doMessageProc")));
    EXPECT_TRUE(program->Symbol(QStringLiteral("theMessage")));
    ASSERT_EQ(program->Segments().size(), 2);
    EXPECT_GT(program->Segments()[1].memoryBytes, quint32(program->Segments()[1].bytes.size()));   // .bss
}
#endif

} // namespace
