#pragma once

#include <QByteArray>
#include <QtGlobal>

struct SubfamilyInfo;

// The data memory of a simulated processor: one RAM region that holds the
// target component's message buffer. Bytes lie in target order; a target word
// is read and written in the processor's word width and byte order.
class CSimTargetMemory {
public:
    static constexpr quint32 kDataPage = 1;
    static constexpr quint64 kRamStart = 0x10000;   // byte address
    static constexpr quint64 kRamBytes = 0x20000;

    CSimTargetMemory(const SubfamilyInfo &subfamily, bool bigEndian);

    // The byte address of an address in the processor's address units.
    quint64 ByteAddress(quint32 address) const { return quint64(address) * quint64(m_nAddressingUnit); }
    // The address of the message buffer, in address units.
    quint32 MessageAddress() const { return quint32(kRamStart / quint64(m_nAddressingUnit)); }
    bool Contains(quint64 byteAddress, quint64 count) const;
    // Bytes of RAM; those outside it read 0 and are not written.
    QByteArray Read(quint64 byteAddress, qsizetype count) const;
    void Write(quint64 byteAddress, const QByteArray &bytes);

    // Bytes per element index of a memory block: 1 for the 32-bit class, 2 for the 16-bit class.
    qint32 ElementBytes() const { return m_nWordBytes == 4 ? 1 : 2; }
    qint32 WordBytes() const { return m_nWordBytes; }
    quint32 DecodeWord(const char *bytes) const;
    void EncodeWord(char *bytes, quint32 value) const;

private:
    qint32 m_nAddressingUnit;
    qint32 m_nWordBytes;
    bool m_bBigEndian;
    QByteArray m_ram;
};
