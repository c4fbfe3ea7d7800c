#include "ReadPageOperation.h"

#include "OperationHost.h"
#include "debugger/TargetLink.h"
#include "wire/CommMessage.h"

void CReadPageOperation::SetPage(quint32 start, int bytes)
{
    m_nStart = start;
    m_nBytes = bytes;
}

void CReadPageOperation::Start()
{
    m_bytes.clear();
    m_pieces.Begin(m_nStart, quint32(m_nBytes), m_host.Link().AddressingUnit());
    RequestPiece();
}

void CReadPageOperation::RequestPiece()
{
    m_host.SendHeader(m_pieces.NextRequest(m_host.Facts().maxDataBytes, m_nBytes));
}

void CReadPageOperation::OnHalt()
{
    CommMessage answer;
    if (!m_host.ReceiveMessage(answer))
        return;
    if (!answer.IsAnswerTo(CommandCode::ReadFlash)) {
        m_host.Fail(CFailure::Logged(
            UnexpectedResponseText(answer.Command()),
            CFailure::Then::RunGoesOn));
        return;
    }
    m_bytes += m_pieces.Piece(answer);
    if (m_pieces.Remaining() > 0)
        RequestPiece();
    else
        m_host.Succeed();
}
