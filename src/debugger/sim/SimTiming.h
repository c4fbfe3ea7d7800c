#pragma once

#include <QtGlobal>

// How long simulated work takes: as long as on a board, or no time at all when
// $CORVANE_SIM_INSTANT is 1 or a test has asked for instant work. Even instant
// work ends from the event loop.
class CSimTiming {
public:
    static qint64 Scaled(qint64 nominalMs);
    static bool IsInstant();
    static void SetInstant(bool instant);
};
