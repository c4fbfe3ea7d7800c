#include "ElfProgram.h"

#include "image/ElfLayout.h"

#include <QBuffer>

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

// One reading of a file. CElfLayout checks the header and the segments
// against the file; libelf finds the symbols, whose offsets and sizes are
// checked here before anything is read there.
class CElfProgram::CReader {
public:
    CReader(const QByteArray &file, bool bigEndian)
        : m_image(file.constData(), file.size())
        , m_bBigEndian(bigEndian)
    {
        m_device.setData(file);
        m_device.open(QIODevice::ReadOnly);
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
        if (!m_layout.ReadHeader(m_device))
            return Fail(m_layout.Reason());
        elf_version(EV_CURRENT);
        m_pElf = elf_memory(m_image.data(), size_t(m_image.size()));
        if (!m_pElf || elf_kind(m_pElf) != ELF_K_ELF || !gelf_getehdr(m_pElf, &m_header))
            return Fail(QStringLiteral("libelf cannot read it (%1)").arg(LibElfError()));
        return true;
    }

    bool CheckHeader()
    {
        if (m_layout.IsBigEndian() != m_bBigEndian)
            return Fail(QStringLiteral("it is %1 and the processor %2")
                            .arg(OrderText(m_layout.IsBigEndian()), OrderText(m_bBigEndian)));
        if (m_header.e_machine != EM_ARM)
            return Fail(QStringLiteral("it is for machine %1, not ARM (%2)").arg(m_header.e_machine).arg(EM_ARM));
        if (m_header.e_type != ET_EXEC)
            return Fail(QStringLiteral("it is not an executable (its type is %1)").arg(m_header.e_type));
        return true;
    }

    bool ReadSegments(CElfProgram &program)
    {
        if (!m_layout.ReadSegments(m_device))
            return Fail(m_layout.Reason());
        for (const CElfLayout::Segment &segment : m_layout.LoadSegments()) {
            if (segment.memoryBytes > kMaxSegmentBytes)
                return Fail(QStringLiteral("%1 is larger than %2 MiB")
                                .arg(SegmentText(size_t(segment.index)))
                                .arg(kMaxSegmentBytes >> 20));
            if (segment.memoryBytes > 0)
                program.m_segments.append({segment.address, m_image.mid(qsizetype(segment.offset), qsizetype(segment.fileBytes)),
                                           segment.memoryBytes});
        }
        program.m_nEntry = quint32(m_header.e_entry);
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
    QBuffer m_device;     // the caller's bytes for CElfLayout, untouched by libelf
    CElfLayout m_layout;
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
