#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// A 32-bit ARM executable as an ELF file holds it: the segments to load at
// their physical addresses, the entry address and the symbol table.
class CElfProgram {
public:
    static constexpr quint32 kMaxSegmentBytes = 64u << 20;

    struct Segment {
        quint32 address;      // physical address
        QByteArray bytes;     // the bytes the file holds
        quint32 memoryBytes;  // bytes in memory: the rest after `bytes` is zero
    };

    // Reads the bytes of an ELF file for an ARM processor of the given byte
    // order. Nothing when it is not one; `reason` then says why ("the
    // program header table runs past the end of the file").
    static std::optional<CElfProgram> Read(const QByteArray &file, bool bigEndian, QString &reason);

    quint32 Entry() const { return m_nEntry; }
    const QList<Segment> &Segments() const { return m_segments; }
    std::optional<quint32> Symbol(const QString &name) const;

private:
    class CReader;

    quint32 m_nEntry = 0;
    QList<Segment> m_segments;
    QHash<QString, quint32> m_symbols;
};
