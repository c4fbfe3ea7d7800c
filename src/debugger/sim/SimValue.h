#pragma once

#include "debugger/DspValue.h"

// A value of the simulator; symbol lookups bind it to an address.
class CSimValue : public IDspValue {
public:
    explicit CSimValue(quint32 number)
        : m_nNumber(number)
    {
    }

    quint32 Number() const override { return m_nNumber; }
    void SetNumber(quint32 number) { m_nNumber = number; }

private:
    quint32 m_nNumber;
};
