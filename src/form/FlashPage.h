#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// One 256-byte page of the flash memory view: where it lies in the flash (in
// target address units), the bytes and row addresses read for it, the rules
// that move it, and its layout as 16 rows of 16, 8 or 4 grid columns. Grid
// items are numbered column by column: item i is row i mod 16 of column i div 16.
class CFlashPage {
public:
    static constexpr int kPageBytes = 256;
    static constexpr int kRows = 16;
    static constexpr int kRowBytes = 16;

    // Display widths of a grid unit.
    enum Width { Bits8 = 0, Bits16 = 1, Bits32 = 2 };

    // A page of a flash of `flashSizeBytes` on a target of `addressingUnit` bytes per unit, at offset 0.
    explicit CFlashPage(int addressingUnit = 1, quint32 flashSizeBytes = 0);

    int AddressingUnit() const { return m_nAddressingUnit; }
    quint32 FlashSizeUnits() const { return m_nFlashSizeUnits; }
    void SetFlashSizeBytes(quint32 bytes);
    // Units one page spans: 256 / addressing unit.
    quint32 PageUnits() const { return quint32(kPageBytes / m_nAddressingUnit); }
    // The highest offset a whole page may start at.
    quint32 LastPageStart() const { return m_nFlashSizeUnits > PageUnits() ? m_nFlashSizeUnits - PageUnits() : 0; }
    quint32 PageStart() const { return m_nPageStart; }
    void SetPageStart(quint32 start) { m_nPageStart = start; }
    // Offsets of the 16 rows from the flash base, in units.
    QList<quint32> RowOffsets() const;

    int DisplayWidth() const { return m_nWidth; }
    void SetDisplayWidth(int width);
    // The width the view starts with: 16-bit on word-addressed targets, else 8-bit.
    int InitialDisplayWidth() const { return m_nAddressingUnit == 2 ? Bits16 : Bits8; }
    // Bytes per grid unit: 1, 2 or 4.
    int UnitBytes() const { return 1 << m_nWidth; }
    int Columns() const { return kRowBytes / UnitBytes(); }
    int ItemCount() const { return kPageBytes / UnitBytes(); }

    // Paging. Each returns true when the page moved and must be read again.
    bool Next();
    bool Prev();
    // A new page start fits when the whole page lies inside the flash.
    bool FitsInFlash(quint64 offset) const;
    // Takes an accepted offset with its display width, aligned for that width.
    void MoveTo(quint32 offset, int width);
    // The width offered by the offset dialog: word-addressed targets show 8-bit as 16-bit.
    int OfferedWidth() const;

    // The page as read.
    bool IsValid() const { return m_bValid; }
    void Invalidate() { m_bValid = false; }
    // Takes the first 256 bytes of `data` and the row addresses; the page becomes valid.
    void Fill(const quint8 *data, const QList<quint32> &rowAddresses);
    const QByteArray &Bytes() const { return m_bytes; }

    // Grid items and page bytes.
    static int ItemRow(int item) { return item % kRows; }
    static int ItemColumn(int item) { return item / kRows; }
    static int ItemAt(int row, int column) { return column * kRows + row; }
    // Byte offset in the page of the unit that item `item` shows; -1 outside the grid.
    int ByteOffsetOfItem(int item) const;
    // The item that shows target address `address` of this page; -1 outside the page.
    int ItemOfAddress(quint32 address) const;

    // Single units, high byte first, `unitBytes` wide at `byteOffset`.
    quint32 UnitValue(int byteOffset, int unitBytes) const;
    void SetUnitValue(int byteOffset, int unitBytes, quint32 value);
    // Target address of the unit at `byteOffset`.
    quint32 UnitAddress(int byteOffset) const { return m_nPageStart + quint32(byteOffset / m_nAddressingUnit); }
    // Last target address inside the page.
    quint32 LastAddress() const { return m_nPageStart + PageUnits() - 1; }
    bool ContainsAddress(quint32 address) const;
    // Byte offset of the unit of the current width that holds `address`, an address inside the page.
    int UnitOffsetOfAddress(quint32 address) const;

    // Texts.
    // "%08X | %08X:" with the row's offset and physical address.
    QString RowText(int row) const;
    // The unit of item `item` as the grid shows it.
    QString ItemText(int item) const;
    // The row's bytes in memory order as characters: printable ASCII, others as ".".
    QString RowCharacters(int row) const;
    // The page as "Save As Text" writes it; empty while the page is not valid.
    QString PageText() const;
    // The largest value a unit of `unitBytes` holds.
    static quint32 MaxUnitValue(int unitBytes);
    // "0x%02X", "0x%04X" or "0x%08X" by the unit's width.
    static QString UnitValueText(quint32 value, int unitBytes);

private:
    // Bytes of the unit at `byteOffset` of the current width, each as "%02X".
    QString UnitHex(int byteOffset, int unitBytes) const;

    int m_nAddressingUnit;
    quint32 m_nFlashSizeUnits = 0;
    quint32 m_nPageStart = 0;
    int m_nWidth = Bits8;
    bool m_bValid = false;
    QByteArray m_bytes;
    QList<quint32> m_rowAddresses;
};
