// Reads ELF files that the cross tools made and compares the bytes with
// arm-none-eabi-objcopy's binary image and the segments with readelf's.
#include "ImageReading.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

struct Range {
    quint64 address;
    quint64 bytes;
    bool operator==(const Range &) const = default;
};

void PrintTo(const Range &range, std::ostream *os)
{
    *os << "0x" << std::hex << range.address << "+0x" << range.bytes;
}

// readelf's loadable segments with file bytes, in address order.
QList<Range> ReadelfSegments(const QString &elf)
{
    static const QRegularExpression load(
        QStringLiteral("^\\s*LOAD\\s+0x[0-9a-f]+\\s+0x[0-9a-f]+\\s+0x([0-9a-f]+)\\s+0x([0-9a-f]+)"),
        QRegularExpression::MultilineOption);
    QList<Range> segments;
    const QString text = QString::fromLatin1(RunTool(QStringLiteral("readelf"), {QStringLiteral("-lW"), elf}));
    for (auto match = load.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        const Range range{found.captured(1).toULongLong(nullptr, 16), found.captured(2).toULongLong(nullptr, 16)};
        if (range.bytes > 0)
            segments.append(range);
    }
    std::sort(segments.begin(), segments.end(), [](const Range &a, const Range &b) { return a.address < b.address; });
    return segments;
}

// The blocks as runs of consecutive addresses.
QList<Range> Runs(const QList<ImageBlock> &blocks)
{
    QList<Range> runs;
    for (const ImageBlock &block : blocks) {
        if (!runs.isEmpty() && runs.last().address + runs.last().bytes == block.address)
            runs.last().bytes += quint64(block.bytes.size());
        else
            runs.append({block.address, quint64(block.bytes.size())});
    }
    return runs;
}

QByteArray RandomBytes(int count, std::mt19937 &random)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(random()));
    return bytes;
}

// A program of random code and initialised data whose load address differs from its run address.
QString LinkProgram(const QTemporaryDir &dir, bool bigEndian, unsigned seed)
{
    std::mt19937 random(seed);
    QFile source(dir.filePath(QStringLiteral("program.S")));
    EXPECT_TRUE(source.open(QIODevice::WriteOnly));
    const auto bytes = [](const QByteArray &data) {
        QByteArray text;
        for (char byte : data)
            text += "  .byte " + QByteArray::number(quint8(byte)) + "\n";
        return text;
    };
    source.write("  .text\n  .global _start\n_start:\n" + bytes(RandomBytes(3000, random)) + "  .data\n"
                 + bytes(RandomBytes(1500, random)) + "  .bss\n  .space 64\n");
    source.close();
    QFile script(dir.filePath(QStringLiteral("program.ld")));
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("MEMORY { FLASH : ORIGIN = 0x08000000, LENGTH = 1M\n RAM : ORIGIN = 0x20000000, LENGTH = 64K }\n"
                 "SECTIONS { .text : { *(.text) } > FLASH\n .data : AT(0x08004000) { *(.data) } > RAM\n"
                 " .bss : { *(.bss) } > RAM }\n");
    script.close();
    const QString elf = dir.filePath(QStringLiteral("program.elf"));
    RunTool(QStringLiteral("arm-none-eabi-gcc"),
        {bigEndian ? QStringLiteral("-mbig-endian") : QStringLiteral("-mlittle-endian"), QStringLiteral("-nostdlib"),
         QStringLiteral("-T"), script.fileName(), QStringLiteral("-o"), elf, source.fileName()});
    return elf;
}

void ExpectReadAsTheCrossToolsDo(const QString &elf)
{
    const QList<Range> segments = ReadelfSegments(elf);
    ASSERT_FALSE(segments.isEmpty());
    const QTemporaryDir dir;
    const QString binary = dir.filePath(QStringLiteral("image.bin"));
    RunTool(QStringLiteral("arm-none-eabi-objcopy"), {QStringLiteral("-O"), QStringLiteral("binary"), elf, binary});
    QFile expected(binary);
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QFile file(elf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (int capacity : {4, 250, 4096}) {
        SCOPED_TRACE(capacity);
        ReaderSetup setup;
        setup.capacity = capacity;
        setup.fileName = elf;
        const ImageReading reading = ReadImage(file.readAll(), setup);
        file.seek(0);
        EXPECT_EQ(reading.format, HexElf);
        EXPECT_FALSE(reading.failed) << reading.error.toStdString();
        EXPECT_EQ(Runs(reading.blocks), segments);
        const quint64 low = segments.first().address;
        EXPECT_EQ(LayOut(reading.blocks, 1, low, low + quint64(expected.size()), '\0'), expected.readAll());
        expected.seek(0);
    }
}

TEST(ElfConformance, LinkedProgramsInBothByteOrders)
{
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        const QTemporaryDir dir;
        ExpectReadAsTheCrossToolsDo(LinkProgram(dir, bigEndian, bigEndian ? 7 : 8));
    }
}

TEST(ElfConformance, TheReferenceTargetComponent)
{
    ExpectReadAsTheCrossToolsDo(QStringLiteral(CORVANE_CVTC_ARM926_ELF));
}

} // namespace
