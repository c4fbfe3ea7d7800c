#pragma once

#include <QMap>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class IDspUserEvents;

// The event sinks connected to one processor, and the delivery of its events
// from the event loop. Made with std::make_shared: an event queued before the
// sinks are gone reaches nobody.
class CDspUserSinks : public std::enable_shared_from_this<CDspUserSinks> {
public:
    std::optional<quint32> Advise(const std::shared_ptr<IDspUserEvents> &events);
    void Unadvise(quint32 cookie);

    // Queues OnHalted at `address` / OnLoadFinished for the sinks connected when it is delivered.
    void DeliverHalt(quint32 address);
    void DeliverLoadFinished(const QString &error);
    void DeliverTargetLost(const QString &reason);

private:
    void Deliver(const std::function<void(IDspUserEvents &)> &event);

    QMap<quint32, std::shared_ptr<IDspUserEvents>> m_sinks;
    quint32 m_nNextCookie = 1;
};
