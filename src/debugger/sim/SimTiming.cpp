#include "SimTiming.h"

#include <optional>

namespace {
std::optional<bool> &InstantOverride()
{
    static std::optional<bool> instant;
    return instant;
}
} // namespace

bool CSimTiming::IsInstant()
{
    if (InstantOverride())
        return *InstantOverride();
    return qEnvironmentVariableIntValue("CORVANE_SIM_INSTANT") == 1;
}

void CSimTiming::SetInstant(bool instant)
{
    InstantOverride() = instant;
}

qint64 CSimTiming::Scaled(qint64 nominalMs)
{
    return IsInstant() ? 0 : nominalMs;
}
