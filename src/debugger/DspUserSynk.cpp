#include "DspUserSynk.h"

#include "AutomationError.h"
#include "CommMessageReceiver.h"
#include "DspValue.h"

void DspUserSynk::OnLoadFinished(const QString &error)
{
    m_bLoadFinished = true;
    m_strLoadError = error;
}

void DspUserSynk::OnHalted(const std::shared_ptr<IDspValue> &location)
{
    ICommMessageReceiver *receiver = m_pNotifyReceiver;
    if (!location || !receiver)
        return;
    RunAtEventLoopBoundary(
        [&] {
            if (location->Number() == m_nBreakpointAddress)
                receiver->OnCommMessage();
        },
        [receiver](const CAutomationError &error) { receiver->OnCommFailure(error); });
}

void DspUserSynk::OnTargetLost(const QString &reason)
{
    ICommMessageReceiver *receiver = m_pNotifyReceiver;
    RunAtEventLoopBoundary([&] { throw CAutomationError::Described(reason); },
                           [receiver](const CAutomationError &error) {
                               if (receiver)
                                   receiver->OnCommFailure(error);
                           });
    if (m_onLost)
        m_onLost();
}
