#pragma once

#include <QIODevice>

#include <vector>

// Byte-by-byte reading from a device through a large in-memory buffer that is
// refilled in big reads, so that reading never costs a system call per byte.
class CBufferedInput {
public:
    static constexpr qsizetype kChunkBytes = 256 * 1024;

    // Reads `device` from its current position, which also becomes the start for Rewind.
    explicit CBufferedInput(QIODevice &device);

    // The next byte (0 to 255), or -1 at the end of the data or after a read error.
    int Get()
    {
        if (m_cursor < m_end || Fill(1))
            return m_buffer[size_t(m_cursor++)];
        return -1;
    }
    // The next `count` bytes (at most kChunkBytes) in one piece without consuming
    // them, or nullptr when fewer are left.
    const quint8 *Peek(qsizetype count)
    {
        if (m_end - m_cursor >= count || Fill(count))
            return m_buffer.data() + m_cursor;
        return nullptr;
    }
    // As many of the next `count` bytes as there are (at most kChunkBytes), in
    // one piece without consuming them; `available` says how many.
    const quint8 *PeekUpTo(qsizetype count, qsizetype &available);
    // Consumes `count` bytes that Peek has shown.
    void Skip(qsizetype count) { m_cursor += count; }
    // Copies up to `count` bytes to `destination` and consumes them; returns how many, fewer only at the end.
    qsizetype Read(quint8 *destination, qsizetype count);
    // Consumes bytes up to and including the next `byte`; false at the end of the data.
    bool SkipPast(quint8 byte);
    // Device position of the next byte Get returns.
    qint64 Position() const { return m_bufferStart + m_cursor; }
    // Line of that byte, counted from 1 at the start position.
    qint64 LineNumber() const;
    // Goes back to the start position; false if the device cannot go back.
    bool Rewind();
    // Continues at device position `position`, whoever moved the device meanwhile; false if it cannot go there.
    bool Seek(qint64 position);
    bool HasReadError() const { return m_bReadError; }

private:
    // Moves the unread bytes to the front and reads until `count` are there or the data ends.
    bool Fill(qsizetype count);
    // Line ends in the buffer before `end`.
    qint64 LineEndsBefore(qsizetype end) const;

    QIODevice &m_device;
    std::vector<quint8> m_buffer;
    qint64 m_origin;
    qint64 m_bufferStart;
    qsizetype m_cursor = 0;
    qsizetype m_end = 0;
    qint64 m_nLinesBefore = 0;  // line ends in the bytes before the buffer
    bool m_bReadError = false;
};
