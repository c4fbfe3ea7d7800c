#pragma once

#include <QtGlobal>

#include <memory>

// A monotonic millisecond tick count, 32 bits wide: it wraps around after about
// 49 days, so elapsed times are always taken with Elapsed(), never by comparing
// two counts. Tests install a clock of their own.
class CTickClock {
public:
    virtual ~CTickClock() = default;
    virtual quint32 Now() const;

    // Milliseconds from `start` to `now`, correct across one wrap-around.
    static quint32 Elapsed(quint32 start, quint32 now) { return now - start; }
};

// The program-wide tick clock.
CTickClock &theTickClock();
// Installs a tick clock and returns the previous one.
std::unique_ptr<CTickClock> InstallTickClock(std::unique_ptr<CTickClock> clock);
