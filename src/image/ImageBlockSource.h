#pragma once

#include "BufferedInput.h"

#include <QString>

// Reads the image blocks of one file format. Keeps the rules every format
// shares: the first failure ends the image and its text is kept, and blocks
// advance the current address in target address units.
class CImageBlockSource {
public:
    CImageBlockSource(CBufferedInput &input, int bytesPerUnit);
    virtual ~CImageBlockSource() = default;
    CImageBlockSource(const CImageBlockSource &) = delete;
    CImageBlockSource &operator=(const CImageBlockSource &) = delete;

    // The next block: its byte count (> 0) with `address` set, 0 when the caller
    // should call again, -1 at the end of the image or after a failure.
    int ReadBlock(quint32 &address, quint8 *buffer, int capacity);
    bool HasFailed() const { return m_bFailed; }
    // The first failure's text; empty when none was given.
    const QString &ErrorText() const { return m_strError; }
    // Where in the file that failure was found ("line 3", "offset 0x40"); empty when nowhere.
    const QString &ErrorPlace() const { return m_strErrorPlace; }

protected:
    // The smallest capacity with which a block can hold anything.
    virtual int MinimumCapacity() const { return m_nBytesPerUnit; }
    // The format's own reading; `capacity` is at least MinimumCapacity().
    virtual int ReadNext(quint32 &address, quint8 *buffer, int capacity) = 0;
    // Keeps `message` unless a failure came first, and ends the image after the
    // block being gathered; the place is the input's line.
    void Fail(const QString &message);
    // Fails with "Hex File Error: <reason>" at the input's line.
    void FailOnLine(const QString &reason);
    // Fails with "Hex File Error: <reason>" at `place`, for files without lines.
    void FailAt(const QString &reason, const QString &place);
    // Fails for a character where a hexadecimal digit must stand.
    void FailInvalidDigit();
    // Ends a block of `count` bytes at the current address and returns `count`.
    int DeliverBlock(int count);

    CBufferedInput &m_input;
    const int m_nBytesPerUnit;
    quint32 m_nCurrentAddress = 0;

private:
    void Record(const QString &message, const QString &place);

    bool m_bFailed = false;
    QString m_strError;
    QString m_strErrorPlace;
};
