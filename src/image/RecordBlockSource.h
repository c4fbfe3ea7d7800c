#pragma once

#include "ImageBlockSource.h"

#include <array>

// Formats made of records, each a run of bytes at an address: records of
// consecutive addresses are merged into blocks, and a record that does not
// fit into the block's room is carried over to the next block.
class CRecordBlockSource : public CImageBlockSource {
public:
    using CImageBlockSource::CImageBlockSource;

protected:
    static constexpr int kRecordBytes = 256;
    enum class Next { Data, End, Failed };

    int ReadNext(quint32 &address, quint8 *buffer, int capacity) override;
    // Reads the next record with at least one byte into m_data, m_nAddress and m_nLength.
    virtual Next ParseRecord() = 0;

    static bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    // Consumes blanks and line ends.
    void SkipSpace();
    // The next byte without consuming it; -1 at the end of the file.
    int PeekByte();
    // Consumes blanks and the `mark` that starts a record; fails with
    // `missingEnd` at the end of the file and for any other character.
    bool ReadMark(char mark, const QString &missingEnd);
    // Consumes blanks; true when the file ends after them.
    bool AtEndOfFile();
    // Decodes `count` bytes of two hexadecimal digits each from the next
    // 2 * count characters and consumes them; fails at the line when they are
    // cut off or no digits.
    bool ReadHexBytes(int count, quint8 *bytes);
    // Fails at the line unless `checksum` is the low byte of the record's digit sum `sum`.
    bool CheckDigitSum(unsigned checksum, unsigned sum);

    std::array<quint8, kRecordBytes> m_data{};
    quint32 m_nAddress = 0;
    int m_nLength = 0;
    bool m_bEnded = false;  // the format's end mark was read

private:
    Next NextRecord();
    // Moves as many pending record bytes as fit into `room`, whole address units when split.
    int TakeRecordBytes(quint8 *destination, int room);
    bool HasPendingBytes() const { return m_nTaken < m_nLength; }
    quint32 PendingAddress() const { return m_nAddress + quint32(m_nTaken / m_nBytesPerUnit); }

    int m_nTaken = 0;
};
