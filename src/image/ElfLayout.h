#pragma once

#include <QIODevice>
#include <QString>

#include <vector>

// The header and program header table of a 32-bit ELF file of either byte
// order. Every offset and size they give is checked against the file before
// anything is read there; a failure leaves the reason ("segment 1 runs past
// the end of the file").
class CElfLayout {
public:
    struct Segment {
        int index;             // in the program header table
        quint32 type;
        quint32 offset;        // of its bytes in the file
        quint32 fileBytes;
        quint32 address;       // physical
        quint32 memoryBytes;
    };

    // Reads the ELF header at the start of `file`; false when it is no 32-bit ELF file.
    bool ReadHeader(QIODevice &file);
    // Reads the program header table after ReadHeader; false when it or a loadable segment does not fit.
    bool ReadSegments(QIODevice &file);

    const QString &Reason() const { return m_strReason; }
    bool IsBigEndian() const { return m_bBigEndian; }
    // The loadable segments (PT_LOAD) in the table's order.
    const std::vector<Segment> &LoadSegments() const { return m_segments; }

private:
    bool Fail(const QString &reason);
    bool Within(quint64 offset, quint64 size) const;
    bool ReadAt(QIODevice &file, qint64 offset, char *bytes, qint64 count);
    quint16 Half(const char *bytes) const;
    quint32 Word(const char *bytes) const;
    bool CheckSegment(const Segment &segment);

    qint64 m_nFileBytes = 0;
    bool m_bBigEndian = false;
    quint32 m_nTableOffset = 0;
    quint16 m_nEntryBytes = 0;
    quint16 m_nEntries = 0;
    std::vector<Segment> m_segments;
    QString m_strReason;
};
