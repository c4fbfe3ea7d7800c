#include "TickClock.h"

#include "ProgramWide.h"

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

CTickClock &theTickClock()
{
    return CProgramWide<CTickClock, CTickClock>::Get();
}

std::unique_ptr<CTickClock> InstallTickClock(std::unique_ptr<CTickClock> clock)
{
    return CProgramWide<CTickClock, CTickClock>::Install(std::move(clock));
}
