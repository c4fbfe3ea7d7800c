#include "DspUserSinks.h"

#include "AddressValue.h"
#include "DspUserEvents.h"

#include <QCoreApplication>

std::optional<quint32> CDspUserSinks::Advise(const std::shared_ptr<IDspUserEvents> &events)
{
    if (!events)
        return std::nullopt;
    const quint32 cookie = m_nNextCookie++;
    m_sinks.insert(cookie, events);
    return cookie;
}

void CDspUserSinks::Unadvise(quint32 cookie)
{
    m_sinks.remove(cookie);
}

void CDspUserSinks::DeliverHalt(quint32 address)
{
    Deliver([address](IDspUserEvents &sink) { sink.OnHalted(std::make_shared<CAddressValue>(address)); });
}

void CDspUserSinks::DeliverLoadFinished(const QString &error)
{
    Deliver([error](IDspUserEvents &sink) { sink.OnLoadFinished(error); });
}

// The sinks are held for the call, so a sink may disconnect, or let go of the
// processor, inside it.
void CDspUserSinks::DeliverTargetLost(const QString &reason)
{
    Deliver([reason](IDspUserEvents &sink) { sink.OnTargetLost(reason); });
}

void CDspUserSinks::Deliver(const std::function<void(IDspUserEvents &)> &event)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [sinks = weak_from_this(), event] {
            const std::shared_ptr<CDspUserSinks> self = sinks.lock();
            if (!self)
                return;
            const QList<std::shared_ptr<IDspUserEvents>> connected = self->m_sinks.values();
            for (const std::shared_ptr<IDspUserEvents> &sink : connected)
                event(*sink);
        },
        Qt::QueuedConnection);
}
