#include "CommandLineEraseOperation.h"

#include "EraseEstimate.h"
#include "OperationHost.h"
#include "wire/CommMessage.h"

void CCommandLineEraseOperation::Start()
{
    m_host.Report(CProgressEvent::Status(Kind(), QStringLiteral("Erasing Flash Memory")));
    m_step = Step::EraseWithEstimate;
    if (CEraseEstimate::IsOffered(m_host))
        CEraseEstimate::Ask(m_host);
    else
        SendErase(CEraseEstimate::kUnknownSeconds);
}

void CCommandLineEraseOperation::OnHalt()
{
    switch (m_step) {
    case Step::EraseWithEstimate: EraseWithEstimate(); break;
    case Step::Finish: m_host.Succeed(); break;
    }
}

void CCommandLineEraseOperation::EraseWithEstimate()
{
    int estimate = 0;
    if (CEraseEstimate::Receive(m_host, estimate))
        SendErase(estimate);
}

// The answer time-out gets `seconds` on top.
void CCommandLineEraseOperation::SendErase(int seconds)
{
    m_step = Step::Finish;
    CommMessage request;
    request.SetCommand(CommandCode::EraseFlash);
    m_host.SendHeader(request, seconds);
}
