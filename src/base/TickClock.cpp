#include "TickClock.h"

#include <QElapsedTimer>

quint32 CTickClock::Now() const
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return quint32(started.elapsed());
}

namespace {
std::unique_ptr<CTickClock> &Slot()
{
    static std::unique_ptr<CTickClock> clock = std::make_unique<CTickClock>();
    return clock;
}
} // namespace

CTickClock &theTickClock()
{
    return *Slot();
}

std::unique_ptr<CTickClock> InstallTickClock(std::unique_ptr<CTickClock> clock)
{
    Slot().swap(clock);
    return clock;
}
