#include "ElfLayout.h"

#include <QtEndian>

#include <elf.h>

#include <cstddef>
#include <cstring>

bool CElfLayout::ReadHeader(QIODevice &file)
{
    m_nFileBytes = file.size();
    Elf32_Ehdr header {};
    char *bytes = reinterpret_cast<char *>(&header);
    if (!ReadAt(file, 0, bytes, qMin<qint64>(m_nFileBytes, sizeof header))
        || m_nFileBytes < SELFMAG || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return Fail(QStringLiteral("it does not start with the ELF magic number"));
    if (m_nFileBytes < qint64(sizeof header))
        return Fail(QStringLiteral("the file is shorter than an ELF header"));
    if (header.e_ident[EI_CLASS] != ELFCLASS32)
        return Fail(QStringLiteral("it is not a 32-bit ELF file"));
    if (header.e_ident[EI_DATA] != ELFDATA2LSB && header.e_ident[EI_DATA] != ELFDATA2MSB)
        return Fail(QStringLiteral("its byte order (%1) is neither little- nor big-endian").arg(header.e_ident[EI_DATA]));
    m_bBigEndian = header.e_ident[EI_DATA] == ELFDATA2MSB;
    m_nTableOffset = Word(bytes + offsetof(Elf32_Ehdr, e_phoff));
    m_nEntryBytes = Half(bytes + offsetof(Elf32_Ehdr, e_phentsize));
    m_nEntries = Half(bytes + offsetof(Elf32_Ehdr, e_phnum));
    return true;
}

bool CElfLayout::ReadSegments(QIODevice &file)
{
    if (m_nEntries == 0)
        return Fail(QStringLiteral("it has no program header table"));
    if (m_nEntryBytes != sizeof(Elf32_Phdr))
        return Fail(QStringLiteral("its program headers are %1 bytes long, not %2")
                        .arg(m_nEntryBytes)
                        .arg(sizeof(Elf32_Phdr)));
    if (!Within(m_nTableOffset, quint64(m_nEntries) * sizeof(Elf32_Phdr)))
        return Fail(QStringLiteral("the program header table runs past the end of the file"));
    m_segments.clear();
    for (int index = 0; index < m_nEntries; ++index) {
        char bytes[sizeof(Elf32_Phdr)];
        if (!ReadAt(file, qint64(m_nTableOffset) + index * qint64(sizeof bytes), bytes, sizeof bytes))
            return Fail(QStringLiteral("segment %1 cannot be read").arg(index));
        const Segment segment{index,
                              Word(bytes + offsetof(Elf32_Phdr, p_type)),
                              Word(bytes + offsetof(Elf32_Phdr, p_offset)),
                              Word(bytes + offsetof(Elf32_Phdr, p_filesz)),
                              Word(bytes + offsetof(Elf32_Phdr, p_paddr)),
                              Word(bytes + offsetof(Elf32_Phdr, p_memsz))};
        if (segment.type != PT_LOAD)
            continue;
        if (!CheckSegment(segment))
            return false;
        m_segments.push_back(segment);
    }
    return true;
}

bool CElfLayout::CheckSegment(const Segment &segment)
{
    const QString name = QStringLiteral("segment %1").arg(segment.index);
    if (!Within(segment.offset, segment.fileBytes))
        return Fail(QStringLiteral("%1 runs past the end of the file").arg(name));
    if (segment.fileBytes > segment.memoryBytes)
        return Fail(QStringLiteral("%1 holds more bytes in the file than in memory").arg(name));
    if (quint64(segment.address) + segment.memoryBytes > (quint64(1) << 32))
        return Fail(QStringLiteral("%1 runs past the end of the address space").arg(name));
    return true;
}

bool CElfLayout::Fail(const QString &reason)
{
    m_strReason = reason;
    return false;
}

bool CElfLayout::Within(quint64 offset, quint64 size) const
{
    return offset <= quint64(m_nFileBytes) && size <= quint64(m_nFileBytes) - offset;
}

bool CElfLayout::ReadAt(QIODevice &file, qint64 offset, char *bytes, qint64 count)
{
    return file.seek(offset) && file.read(bytes, count) == count;
}

quint16 CElfLayout::Half(const char *bytes) const
{
    return m_bBigEndian ? qFromBigEndian<quint16>(bytes) : qFromLittleEndian<quint16>(bytes);
}

quint32 CElfLayout::Word(const char *bytes) const
{
    return m_bBigEndian ? qFromBigEndian<quint32>(bytes) : qFromLittleEndian<quint32>(bytes);
}
