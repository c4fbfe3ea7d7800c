#include "ViewFlashOperation.h"

#include "OperationHost.h"
#include "wire/CommMessage.h"
#include "wire/FlashBaseWire.h"

void CViewFlashOperation::Start()
{
    m_step = Step::SendBase;
    OnHalt();
}

void CViewFlashOperation::OnHalt()
{
    switch (m_step) {
    case Step::SendBase:
        Send(CommandCode::SetFlashBase, FlashBaseToWire(m_job.flashBase, m_job.subfamily, m_host.Facts().protocolId),
             Step::SendSize);
        break;
    case Step::SendSize: Send(CommandCode::SetFlashSize, m_job.flashSize, Step::AskEditSupport); break;
    case Step::AskEditSupport:
        if (m_job.askEditSupport) {
            m_step = Step::ReadEditSupport;
            CommMessage request;
            request.SetCommand(CommandCode::QueryEditSupport);
            m_host.SendHeader(request);
        } else {
            m_host.Succeed();
        }
        break;
    case Step::ReadEditSupport: ReadEditSupport(); break;
    }
}

void CViewFlashOperation::Send(CommandCode command, quint32 value, Step next)
{
    CommMessage request;
    request.SetCommand(command);
    request.SetParam32(0, value);
    m_step = next;
    m_host.SendHeader(request);
}

void CViewFlashOperation::ReadEditSupport()
{
    CommMessage answer;
    if (!m_host.ReceiveHeader(answer))
        return;
    m_host.FactsToUpdate().editSupport = answer.Param(0) != 0;
    m_host.Succeed();
}
