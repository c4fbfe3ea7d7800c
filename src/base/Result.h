#pragma once

#include "Failure.h"

#include <optional>

// Success, or the failure that stopped a call. Tests true on success.
class CResult {
public:
    CResult() = default;
    CResult(const CFailure &failure)
        : m_failure(failure)
    {
    }

    explicit operator bool() const { return !m_failure; }
    bool Failed() const { return m_failure.has_value(); }
    // The failure; only valid when Failed().
    const CFailure &Failure() const { return *m_failure; }

private:
    std::optional<CFailure> m_failure;
};
