#pragma once

#include "debugger/DspMemory.h"

#include <QList>
#include <QString>

#include <optional>

// A block of target memory reached through the CCS bridge: a copy of its
// values, each `bits` wide, filled by ReadBlock and stored whole by
// WriteBlock. Element index i is value i / indexStep: 1 where an index counts
// 16-bit words, 4 where it counts the bytes of 32-bit words.
class CCcsMemoryBlock : public IDspMemory {
public:
    CCcsMemoryBlock(quint32 address, std::optional<quint32> page, qint32 bits, qint32 valueCount, qint32 indexStep);

    quint32 Element(qint32 index) const override;
    void SetElement(qint32 index, quint32 value) override;

    quint32 Address() const { return m_nAddress; }
    // The memory page; nothing on cores without pages.
    std::optional<quint32> Page() const { return m_page; }
    qint32 Bits() const { return m_nBits; }
    qint32 Count() const { return qint32(m_values.size()); }
    // The values as the bridge carries them: bits / 4 hex digits each, most significant first.
    QString Hex() const;
    // False, changing nothing, when `hex` is not Count() values of that form.
    bool SetHex(const QString &hex);

private:
    qint32 ValueIndex(qint32 index, const char *call) const;

    quint32 m_nAddress;
    std::optional<quint32> m_page;
    qint32 m_nBits;
    qint32 m_nIndexStep;
    QList<quint32> m_values;
};
