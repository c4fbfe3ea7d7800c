#include "BufferedInput.h"

CBufferedInput::CBufferedInput(QIODevice &device)
    : m_device(device)
    , m_buffer(size_t(kChunkBytes))
    , m_origin(device.pos())
    , m_bufferStart(m_origin)
{
}

bool CBufferedInput::Refill()
{
    if (m_bReadError)
        return false;
    const qint64 count = m_device.read(reinterpret_cast<char *>(m_buffer.data()), kChunkBytes);
    if (count < 0)
        m_bReadError = true;
    if (count <= 0)
        return false;
    m_bufferStart += m_end;
    m_cursor = 0;
    m_end = qsizetype(count);
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
    m_cursor = 0;
    m_end = 0;
    return true;
}
