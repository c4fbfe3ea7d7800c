#pragma once

#include "BufferedInput.h"
#include "HexFormat.h"

#include <QIODevice>

#include <memory>

class CImageBlockSource;

// Reads a hex image file block by block: TI ASCII hex, Motorola S1/S2/S3
// records (with or without an S0 header), Code Composer saved data, Intel
// HEX, Tektronix, extended Tektronix, TI-Tagged, TI-TXT or ELF, detected from
// the first bytes; a file named *.bin is raw binary. Each
// block is a run of consecutive image bytes and the target address (in address
// units) of its first byte. Format errors end the image and are kept as text
// for the caller to show.
class CHexImageReader {
public:
    // `file` is open for reading at its start and stays the caller's. Words of
    // Code Composer data are split in the order `bigEndian` gives. `fileName`
    // chooses raw binary.
    CHexImageReader(QIODevice &file, int subfamily, int bytesPerUnit, bool bigEndian, const QString &fileName);
    ~CHexImageReader();
    CHexImageReader(const CHexImageReader &) = delete;
    CHexImageReader &operator=(const CHexImageReader &) = delete;

    HexFormat GetFormat() const { return m_format; }
    // Stores the next block in `buffer` (at most `capacity` bytes) and returns
    // its byte count with its start in `address`; 0 when the caller should call
    // again; -1 at the end of the image or after a failure (then HasFailed()).
    int ReadBlock(quint32 &address, quint8 *buffer, int capacity);
    // A format or read error ended the image early.
    bool HasFailed() const;
    // The text of the first format or read error, empty when none. A Code
    // Composer header that cannot be read gives its text at detection already;
    // an unknown format gives its text when reading.
    QString ErrorText() const;
    // That text for a user, followed by a line naming `path` and the place
    // (line or offset) where the error was found; empty when there is no text.
    QString ErrorReport(const QString &path) const;
    // File position of the reading, for progress.
    qint64 Position() const { return m_input.Position(); }

private:
    void Detect(int subfamily, int bytesPerUnit, bool bigEndian, const QString &fileName);
    void DetectCcsData(int subfamily, int bytesPerUnit, bool bigEndian);
    void DetectSRecords(int firstType, int bytesPerUnit);
    // The formats told by a mark and the shape of the first record.
    void DetectMarkedRecords(int first, int second, int third, int bytesPerUnit);
    std::unique_ptr<CImageBlockSource> MakeSource(HexFormat format, int bytesPerUnit);

    QIODevice &m_file;
    CBufferedInput m_input;
    std::unique_ptr<CImageBlockSource> m_source;
    HexFormat m_format = HexUnknown;
    bool m_bUnknownFormatRead = false;
    QString m_strError;
};
