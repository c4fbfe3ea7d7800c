#include "FlashPage.h"

#include "PageRowOffsets.h"

#include <algorithm>

CFlashPage::CFlashPage(int addressingUnit, quint32 flashSizeBytes)
    : m_nAddressingUnit(addressingUnit == 2 ? 2 : 1)
    , m_bytes(kPageBytes, '\0')
{
    SetFlashSizeBytes(flashSizeBytes);
    m_nWidth = InitialDisplayWidth();
}

void CFlashPage::SetFlashSizeBytes(quint32 bytes)
{
    m_nFlashSizeUnits = bytes / quint32(m_nAddressingUnit);
}

QList<quint32> CFlashPage::RowOffsets() const
{
    return PageRowOffsets(m_nPageStart, m_nAddressingUnit);
}

void CFlashPage::SetDisplayWidth(int width)
{
    m_nWidth = std::clamp(width, int(Bits8), int(Bits32));
}

bool CFlashPage::Next()
{
    const quint64 next = quint64(m_nPageStart) + PageUnits();
    if (next >= m_nFlashSizeUnits)
        return false;
    m_nPageStart = quint32(std::min<quint64>(next, LastPageStart()));
    return true;
}

bool CFlashPage::Prev()
{
    if (m_nPageStart == 0)
        return false;
    m_nPageStart = std::max(m_nPageStart, PageUnits()) - PageUnits();
    return true;
}

// Counted in 64 bits, so that an offset near the top of the 32-bit range cannot wrap into the flash.
bool CFlashPage::FitsInFlash(quint64 offset) const
{
    return offset < m_nFlashSizeUnits && offset + PageUnits() <= m_nFlashSizeUnits;
}

void CFlashPage::MoveTo(quint32 offset, int width)
{
    SetDisplayWidth(width);
    quint32 alignmentMask = 0;
    if (m_nAddressingUnit == 2)
        alignmentMask = m_nWidth == Bits32 ? 1 : 0;
    else
        alignmentMask = m_nWidth == Bits32 ? 3 : 1;
    m_nPageStart = offset & ~alignmentMask;
}

int CFlashPage::OfferedWidth() const
{
    return m_nAddressingUnit == 2 && m_nWidth == Bits8 ? int(Bits16) : m_nWidth;
}

void CFlashPage::Fill(const quint8 *data, const QList<quint32> &rowAddresses)
{
    m_bytes = QByteArray(reinterpret_cast<const char *>(data), kPageBytes);
    m_rowAddresses = rowAddresses;
    m_bValid = true;
}

int CFlashPage::ByteOffsetOfItem(int item) const
{
    if (item < 0 || item >= ItemCount())
        return -1;
    return ItemRow(item) * kRowBytes + ItemColumn(item) * UnitBytes();
}

int CFlashPage::ItemOfAddress(quint32 address) const
{
    if (!ContainsAddress(address))
        return -1;
    const int unit = UnitOffsetOfAddress(address) / UnitBytes();
    const int columns = Columns();
    return (unit % columns) * kRows + unit / columns;
}

bool CFlashPage::ContainsAddress(quint32 address) const
{
    return address >= m_nPageStart && quint64(address) < quint64(m_nPageStart) + PageUnits();
}

// Aligned to the unit, so that a unit never reaches past the page.
int CFlashPage::UnitOffsetOfAddress(quint32 address) const
{
    const int byteOffset = int((address - m_nPageStart) * quint32(m_nAddressingUnit));
    return byteOffset - byteOffset % UnitBytes();
}

quint32 CFlashPage::UnitValue(int byteOffset, int unitBytes) const
{
    quint32 value = 0;
    for (int i = 0; i < unitBytes && byteOffset + i < kPageBytes; ++i)
        value = (value << 8) | quint8(m_bytes[byteOffset + i]);
    return value;
}

void CFlashPage::SetUnitValue(int byteOffset, int unitBytes, quint32 value)
{
    for (int i = unitBytes - 1; i >= 0; --i, value >>= 8) {
        if (byteOffset + i < kPageBytes)
            m_bytes[byteOffset + i] = char(value & 0xFF);
    }
}

QString CFlashPage::RowText(int row) const
{
    return QString::asprintf("%08X | %08X:", RowOffsets().value(row), m_rowAddresses.value(row));
}

QString CFlashPage::RowCharacters(int row) const
{
    constexpr int kRowBytes = kPageBytes / kRows;
    QString text;
    for (const char byte : m_bytes.mid(row * kRowBytes, kRowBytes))
        text += byte >= 0x20 && byte < 0x7F ? QChar::fromLatin1(byte) : u'.';
    return text;
}

QString CFlashPage::UnitHex(int byteOffset, int unitBytes) const
{
    QString text;
    for (int i = 0; i < unitBytes; ++i)
        text += QString::asprintf("%02X", quint8(m_bytes[byteOffset + i]));
    return text;
}

QString CFlashPage::ItemText(int item) const
{
    const int byteOffset = ByteOffsetOfItem(item);
    if (byteOffset < 0)
        return QString();
    const QString hex = UnitHex(byteOffset, UnitBytes());
    return m_nWidth == Bits8 ? hex : hex + u' ';
}

QString CFlashPage::PageText() const
{
    if (!m_bValid)
        return QString();
    QString text = QString::asprintf("Loc %X to %X\r\n", m_nPageStart, LastAddress());
    const QList<quint32> rowOffsets = RowOffsets();
    for (int row = 0; row < kRows; ++row) {
        text += QString::asprintf("%08X: ", rowOffsets[row]);
        for (int column = 0; column < Columns(); ++column)
            text += UnitHex(row * kRowBytes + column * UnitBytes(), UnitBytes()) + u' ';
        text += QLatin1String("\r\n");
    }
    return text;
}

quint32 CFlashPage::MaxUnitValue(int unitBytes)
{
    return unitBytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * unitBytes)) - 1;
}

QString CFlashPage::UnitValueText(quint32 value, int unitBytes)
{
    switch (unitBytes) {
    case 1: return QString::asprintf("0x%02X", value);
    case 2: return QString::asprintf("0x%04X", value);
    default: return QString::asprintf("0x%08X", value);
    }
}
