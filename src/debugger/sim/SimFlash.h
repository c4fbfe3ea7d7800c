#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

class CSimStateLock;

// A NOR flash of the simulator: erasing sets every byte to 0xFF, programming
// can only clear bits (new = old AND data). Its contents come from a file and
// go back to it when they have changed.
class CSimFlash {
public:
    // Loads `path`; bytes the file does not hold are erased. A file that
    // exists but cannot be read leaves a LoadError.
    CSimFlash(const QString &path, quint32 size);
    // Saves what has changed.
    ~CSimFlash();
    CSimFlash(const CSimFlash &) = delete;
    CSimFlash &operator=(const CSimFlash &) = delete;

    QString Path() const { return m_strPath; }
    // Why the file could not be read; empty when it was read or is missing.
    QString LoadError() const { return m_strLoadError; }
    // Keeps the board's state lock until the flash has been saved for the last time.
    void HoldLock(std::unique_ptr<CSimStateLock> lock);
    quint32 Size() const { return quint32(m_bytes.size()); }
    // Grows with erased bytes or shrinks to `size`.
    void Resize(quint32 size);

    void Erase();
    // Programs the bytes that fall inside the flash; the rest is ignored.
    void Program(quint64 offset, const quint8 *data, qsizetype count);
    // `count` bytes as the flash reads them; bytes beyond its end read 0xFF.
    QByteArray Read(quint64 offset, qsizetype count) const;
    // The target component's checksum of the bytes of the range that lie inside the flash.
    quint16 Checksum(quint64 offset, quint64 count) const;
    // The bits of `mask` of the byte at `offset` read 0 from now on (mask 0: none).
    void SetStuckBits(quint64 offset, quint8 mask);

    // Writes the contents to the file if they changed since the last save;
    // false (and a log line) when the file cannot be written.
    bool Save();

private:
    // The bytes of [offset, offset + count) that lie inside the flash, as read.
    QByteArray ReadInside(quint64 offset, quint64 count) const;

    std::unique_ptr<CSimStateLock> m_pLock;
    QString m_strPath;
    QString m_strLoadError;
    QByteArray m_bytes;
    bool m_bChanged = false;
    quint64 m_nStuckOffset = 0;
    quint8 m_nStuckMask = 0;
};
