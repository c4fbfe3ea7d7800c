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
        if (m_cursor < m_end || Refill())
            return m_buffer[size_t(m_cursor++)];
        return -1;
    }
    // Device position of the next byte Get returns.
    qint64 Position() const { return m_bufferStart + m_cursor; }
    // Goes back to the start position; false if the device cannot go back.
    bool Rewind();
    bool HasReadError() const { return m_bReadError; }

private:
    bool Refill();

    QIODevice &m_device;
    std::vector<quint8> m_buffer;
    qint64 m_origin;
    qint64 m_bufferStart;
    qsizetype m_cursor = 0;
    qsizetype m_end = 0;
    bool m_bReadError = false;
};
