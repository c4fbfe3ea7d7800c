#include "EventLoopDspUser.h"

#include "AutomationError.h"
#include "DspUserSinks.h"

#include <QCoreApplication>

CEventLoopDspUser::CEventLoopDspUser()
    : m_pSinks(std::make_shared<CDspUserSinks>())
{
}

CEventLoopDspUser::~CEventLoopDspUser() = default;

qint32 CEventLoopDspUser::EvaluateSymbol(const QString &name, IDspValue &value)
{
    return FindSymbol(name, value) ? 0 : CAutomationError::kFailure;
}

void CEventLoopDspUser::Poll()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

std::optional<quint32> CEventLoopDspUser::Advise(const std::shared_ptr<IDspUserEvents> &events)
{
    return m_pSinks->Advise(events);
}

void CEventLoopDspUser::Unadvise(quint32 cookie)
{
    m_pSinks->Unadvise(cookie);
}
