#include "EraseOperation.h"

#include "EraseEstimate.h"
#include "OperationHost.h"
#include "wire/CommMessage.h"

CEraseOperation::CEraseOperation(COperationHost &host)
    : CFlashOperation(host)
{
}

void CEraseOperation::Start()
{
    m_step = Step::SendEstimateRequest;
    OnHalt();
}

void CEraseOperation::OnHalt()
{
    switch (m_step) {
    case Step::SendEstimateRequest: SendEstimateRequest(); break;
    case Step::ReadEstimateAndErase: ReadEstimateAndErase(); break;
    case Step::Finish: Finish(); break;
    }
}

void CEraseOperation::SendEstimateRequest()
{
    m_host.SetAbortable(true);
    m_host.Report(CProgressEvent::Status(Kind(), QStringLiteral("Erasing Flash Memory")));
    m_step = Step::ReadEstimateAndErase;
    CEraseEstimate::Ask(m_host);
}

void CEraseOperation::ReadEstimateAndErase()
{
    int estimate = CEraseEstimate::kProgressSecondsWithoutEstimate;
    int wait = m_nWaitWithoutEstimate;
    if (CEraseEstimate::IsOffered(m_host)) {
        if (!CEraseEstimate::Receive(m_host, estimate))
            return;
        // An estimate of 0 seconds counts as one, so that the progress advances.
        estimate = qMax(1, estimate);
        wait = estimate;
    }
    m_host.FactsToUpdate().eraseEstimateSeconds = estimate;
    m_nPosition = 0;
    m_host.Report(CProgressEvent::Shown(Kind(), m_nPosition, kProgressRange, 0));
    m_host.StartTicks();
    m_step = Step::Finish;
    CommMessage request;
    request.SetCommand(CommandCode::EraseFlash);
    m_host.SendHeader(request, wait);
}

void CEraseOperation::OnTick()
{
    if (m_nPosition >= kProgressRange) {
        m_nPosition = 0;
    } else if (!m_host.IsAbortRequested()) {
        m_nPosition = qMin(kProgressRange, m_nPosition + kProgressRange / m_host.Facts().eraseEstimateSeconds);
    } else {
        m_host.Abandon();
        return;
    }
    m_host.Report(CProgressEvent::Shown(Kind(), m_nPosition, kProgressRange, 0));
}

void CEraseOperation::Finish()
{
    m_host.Report(CProgressEvent::Status(Kind(), QStringLiteral("Erase Completed")));
    m_host.Succeed();
}
