#include "SingleExchangeOperation.h"

#include "OperationHost.h"

void CSingleExchangeOperation::Start()
{
    const CommMessage request = Request();
    if (SendsHeaderOnly())
        m_host.SendHeader(request);
    else
        m_host.SendMessage(request);
}

void CSingleExchangeOperation::OnHalt()
{
    CommMessage answer;
    if (!m_host.ReceiveMessage(answer))
        return;
    if (answer.Command() != Request().Command()) {
        m_host.Fail(CFailure::Logged(
            UnexpectedResponseText(answer.Command()),
            CFailure::Then::RunGoesOn));
        return;
    }
    TakeAnswer(answer);
    m_host.Succeed();
}
