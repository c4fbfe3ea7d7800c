#include "ElfProgram.h"

#include <gelf.h>

#include <algorithm>

namespace {

QString SegmentText(size_t index)
{
    return QStringLiteral("segment %1").arg(index);
}

// libelf's reason for its last failure.
QString LibElfError()
{
    return QString::fromUtf8(elf_errmsg(-1));
}

QString OrderText(bool bigEndian)
{
    return bigEndian ? QStringLiteral("big-endian") : QStringLiteral("little-endian");
}

} // namespace

// One reading of a file. libelf finds the headers; every offset and size
// they give is checked against the file here before anything is read there.
class CElfProgram::CReader {
public:
    CReader(const QByteArray &file, bool bigEndian)
        : m_image(file.constData(), file.size())
        , m_bBigEndian(bigEndian)
    {
    }
    ~CReader()
    {
        if (m_pElf)
            elf_end(m_pElf);
    }
    CReader(const CReader &) = delete;
    CReader &operator=(const CReader &) = delete;

    bool Read(CElfProgram &program)
    {
        return Open() && CheckHeader() && ReadSegments(program) && ReadSymbols(program);
    }
    QString Reason() const { return m_strReason; }

private:
    bool Fail(const QString &reason)
    {
        m_strReason = reason;
        return false;
    }

    bool Within(quint64 offset, quint64 size) const
    {
        return offset <= quint64(m_image.size()) && size <= quint64(m_image.size()) - offset;
    }

    bool Open()
    {
        if (!m_image.startsWith(ELFMAG))
            return Fail(QStringLiteral("it does not start with the ELF magic number"));
        if (m_image.size() < qsizetype(sizeof(Elf32_Ehdr)))
            return Fail(QStringLiteral("the file is shorter than an ELF header"));
        elf_version(EV_CURRENT);
        m_pElf = elf_memory(m_image.data(), size_t(m_image.size()));
        if (!m_pElf || elf_kind(m_pElf) != ELF_K_ELF || !gelf_getehdr(m_pElf, &m_header))
            return Fail(QStringLiteral("libelf cannot read it (%1)").arg(LibElfError()));
        return true;
    }

    bool CheckHeader()
    {
        if (m_header.e_ident[EI_CLASS] != ELFCLASS32)
            return Fail(QStringLiteral("it is not a 32-bit ELF file"));
        const bool bigEndian = m_header.e_ident[EI_DATA] == ELFDATA2MSB;
        if (bigEndian != m_bBigEndian)
            return Fail(QStringLiteral("it is %1 and the processor %2").arg(OrderText(bigEndian), OrderText(m_bBigEndian)));
        if (m_header.e_machine != EM_ARM)
            return Fail(QStringLiteral("it is for machine %1, not ARM (%2)").arg(m_header.e_machine).arg(EM_ARM));
        if (m_header.e_type != ET_EXEC)
            return Fail(QStringLiteral("it is not an executable (its type is %1)").arg(m_header.e_type));
        return true;
    }

    // libelf refuses or ignores a table that runs past the end of the file;
    // the header's own count is checked first, so that the reason is known.
    bool ReadSegments(CElfProgram &program)
    {
        size_t count = 0;
        if (m_header.e_phnum == 0)
            return Fail(QStringLiteral("it has no program header table"));
        if (m_header.e_phentsize != sizeof(Elf32_Phdr))
            return Fail(QStringLiteral("its program headers are %1 bytes long, not %2")
                            .arg(m_header.e_phentsize)
                            .arg(sizeof(Elf32_Phdr)));
        if (!Within(m_header.e_phoff, quint64(m_header.e_phnum) * sizeof(Elf32_Phdr))
            || elf_getphdrnum(m_pElf, &count) != 0 || !Within(m_header.e_phoff, quint64(count) * sizeof(Elf32_Phdr)))
            return Fail(QStringLiteral("the program header table runs past the end of the file"));
        for (size_t index = 0; index < count; ++index) {
            GElf_Phdr header;
            if (!gelf_getphdr(m_pElf, int(index), &header))
                return Fail(QStringLiteral("libelf cannot read %1 (%2)").arg(SegmentText(index), LibElfError()));
            if (header.p_type == PT_LOAD && !AddSegment(program, index, header))
                return false;
        }
        program.m_nEntry = quint32(m_header.e_entry);
        return true;
    }

    bool AddSegment(CElfProgram &program, size_t index, const GElf_Phdr &header)
    {
        if (!Within(header.p_offset, header.p_filesz))
            return Fail(QStringLiteral("%1 runs past the end of the file").arg(SegmentText(index)));
        if (header.p_filesz > header.p_memsz)
            return Fail(QStringLiteral("%1 holds more bytes in the file than in memory").arg(SegmentText(index)));
        if (header.p_memsz > kMaxSegmentBytes)
            return Fail(QStringLiteral("%1 is larger than %2 MiB").arg(SegmentText(index)).arg(kMaxSegmentBytes >> 20));
        if (header.p_paddr + header.p_memsz > (quint64(1) << 32))
            return Fail(QStringLiteral("%1 runs past the end of the address space").arg(SegmentText(index)));
        if (header.p_memsz == 0)
            return true;
        program.m_segments.append({quint32(header.p_paddr), m_image.mid(qsizetype(header.p_offset), qsizetype(header.p_filesz)),
                                   quint32(header.p_memsz)});
        return true;
    }

    bool ReadSymbols(CElfProgram &program)
    {
        size_t count = 0;
        if (m_header.e_shoff == 0)
            return true;
        if (m_header.e_shentsize != sizeof(Elf32_Shdr))
            return Fail(QStringLiteral("its section headers are %1 bytes long, not %2")
                            .arg(m_header.e_shentsize)
                            .arg(sizeof(Elf32_Shdr)));
        if (!Within(m_header.e_shoff, quint64(std::max<quint16>(m_header.e_shnum, 1)) * sizeof(Elf32_Shdr))
            || elf_getshdrnum(m_pElf, &count) != 0 || !Within(m_header.e_shoff, quint64(count) * sizeof(Elf32_Shdr)))
            return Fail(QStringLiteral("the section header table runs past the end of the file"));
        for (size_t index = 1; index < count; ++index) {
            GElf_Shdr header;
            Elf_Scn *section = elf_getscn(m_pElf, index);
            if (!section || !gelf_getshdr(section, &header))
                return Fail(QStringLiteral("libelf cannot read section %1 (%2)").arg(index).arg(LibElfError()));
            if (header.sh_type == SHT_SYMTAB && !ReadSymbolTable(program, section, header, count))
                return false;
        }
        return true;
    }

    bool ReadSymbolTable(CElfProgram &program, Elf_Scn *section, const GElf_Shdr &header, size_t sectionCount)
    {
        if (!Within(header.sh_offset, header.sh_size))
            return Fail(QStringLiteral("the symbol table runs past the end of the file"));
        if (header.sh_entsize != sizeof(Elf32_Sym))
            return Fail(QStringLiteral("its symbols are %1 bytes long, not %2").arg(header.sh_entsize).arg(sizeof(Elf32_Sym)));
        GElf_Shdr strings;
        Elf_Scn *stringSection = header.sh_link < sectionCount ? elf_getscn(m_pElf, header.sh_link) : nullptr;
        if (header.sh_link == 0 || !stringSection || !gelf_getshdr(stringSection, &strings)
            || strings.sh_type != SHT_STRTAB)
            return Fail(QStringLiteral("the symbol table has no string table"));
        if (!Within(strings.sh_offset, strings.sh_size))
            return Fail(QStringLiteral("the symbol names run past the end of the file"));
        Elf_Data *data = elf_getdata(section, nullptr);
        if (!data)
            return Fail(QStringLiteral("libelf cannot read the symbol table (%1)").arg(LibElfError()));
        const QByteArray names = m_image.mid(qsizetype(strings.sh_offset), qsizetype(strings.sh_size));
        const size_t symbolCount = header.sh_size / sizeof(Elf32_Sym);
        for (size_t index = 1; index < symbolCount; ++index) {
            GElf_Sym symbol;
            if (!gelf_getsym(data, int(index), &symbol))
                return Fail(QStringLiteral("libelf cannot read symbol %1 (%2)").arg(index).arg(LibElfError()));
            const qsizetype end =
                symbol.st_name < quint64(names.size()) ? names.indexOf('\0', qsizetype(symbol.st_name)) : -1;
            if (end < 0)
                return Fail(QStringLiteral("the name of symbol %1 lies outside its string table").arg(index));
            const QString name = QString::fromUtf8(names.constData() + symbol.st_name, end - qsizetype(symbol.st_name));
            if (!name.isEmpty() && symbol.st_shndx != SHN_UNDEF)
                program.m_symbols.insert(name, quint32(symbol.st_value));
        }
        return true;
    }

    QByteArray m_image;   // libelf's own copy: it may convert in place
    bool m_bBigEndian;
    Elf *m_pElf = nullptr;
    GElf_Ehdr m_header {};
    QString m_strReason;
};

std::optional<CElfProgram> CElfProgram::Read(const QByteArray &file, bool bigEndian, QString &reason)
{
    CElfProgram program;
    CReader reader(file, bigEndian);
    if (!reader.Read(program)) {
        reason = reader.Reason();
        return std::nullopt;
    }
    return program;
}

std::optional<quint32> CElfProgram::Symbol(const QString &name) const
{
    const auto found = m_symbols.constFind(name);
    if (found == m_symbols.constEnd())
        return std::nullopt;
    return *found;
}
