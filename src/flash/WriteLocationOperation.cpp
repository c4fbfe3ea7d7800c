#include "WriteLocationOperation.h"

#include "OperationHost.h"

void CWriteLocationOperation::SetPage(quint32 start, const QByteArray &bytes)
{
    m_nStart = start;
    m_bytes = bytes;
}

CommMessage CWriteLocationOperation::Request() const
{
    CommMessage request;
    request.SetCommand(CommandCode::WriteFlash);
    request.SetParam32(0, m_nStart);
    request.SetParam(2, quint32(m_bytes.size()));
    request.SetData(reinterpret_cast<const quint8 *>(m_bytes.constData()), m_bytes.size(), m_host.Facts().maxDataBytes);
    return request;
}
