#include "BufferedInput.h"

#include <algorithm>
#include <cstring>

CBufferedInput::CBufferedInput(QIODevice &device)
    : m_device(device)
    , m_buffer(size_t(kChunkBytes))
    , m_origin(device.pos())
    , m_bufferStart(m_origin)
{
}

bool CBufferedInput::Fill(qsizetype count)
{
    const qsizetype unread = m_end - m_cursor;
    if (m_cursor > 0) {
        m_nLinesBefore += LineEndsBefore(m_cursor);
        std::memmove(m_buffer.data(), m_buffer.data() + m_cursor, size_t(unread));
        m_bufferStart += m_cursor;
        m_cursor = 0;
        m_end = unread;
    }
    while (m_end < count && !m_bReadError) {
        const qint64 read = m_device.read(reinterpret_cast<char *>(m_buffer.data()) + m_end, kChunkBytes - m_end);
        if (read < 0)
            m_bReadError = true;
        if (read <= 0)
            break;
        m_end += qsizetype(read);
    }
    return m_end >= count;
}

const quint8 *CBufferedInput::PeekUpTo(qsizetype count, qsizetype &available)
{
    if (m_end - m_cursor < count)
        Fill(count);
    available = std::min(count, m_end - m_cursor);
    return m_buffer.data() + m_cursor;
}

qint64 CBufferedInput::LineNumber() const
{
    return m_nLinesBefore + LineEndsBefore(m_cursor) + 1;
}

qint64 CBufferedInput::LineEndsBefore(qsizetype end) const
{
    return std::count(m_buffer.begin(), m_buffer.begin() + end, quint8('\n'));
}

bool CBufferedInput::SkipPast(quint8 byte)
{
    for (;;) {
        const void *found = std::memchr(m_buffer.data() + m_cursor, byte, size_t(m_end - m_cursor));
        if (found != nullptr) {
            m_cursor = static_cast<const quint8 *>(found) - m_buffer.data() + 1;
            return true;
        }
        m_cursor = m_end;
        if (!Fill(1))
            return false;
    }
}

qsizetype CBufferedInput::Read(quint8 *destination, qsizetype count)
{
    qsizetype copied = 0;
    while (copied < count && (m_cursor < m_end || Fill(1))) {
        const qsizetype piece = std::min(count - copied, m_end - m_cursor);
        std::memcpy(destination + copied, m_buffer.data() + m_cursor, size_t(piece));
        m_cursor += piece;
        copied += piece;
    }
    return copied;
}

bool CBufferedInput::Seek(qint64 position)
{
    if (!m_device.seek(position))
        return false;
    m_bufferStart = position;
    m_cursor = 0;
    m_end = 0;
    return true;
}

bool CBufferedInput::Rewind()
{
    if (m_bufferStart == m_origin) {
        m_cursor = 0;
        return true;
    }
    if (!m_device.seek(m_origin))
        return false;
    m_bufferStart = m_origin;
    m_nLinesBefore = 0;
    m_cursor = 0;
    m_end = 0;
    return true;
}
