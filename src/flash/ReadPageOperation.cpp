#include "ReadPageOperation.h"

void CReadPageOperation::SetPage(quint32 start, int bytes)
{
    m_nStart = start;
    m_nBytes = bytes;
}

CommMessage CReadPageOperation::Request() const
{
    CommMessage request;
    request.SetCommand(CommandCode::ReadFlash);
    request.SetParam32(0, m_nStart);
    request.SetParam(2, quint32(m_nBytes));
    return request;
}

void CReadPageOperation::TakeAnswer(const CommMessage &answer)
{
    m_bytes = QByteArray(reinterpret_cast<const char *>(answer.Data()), m_nBytes);
}
