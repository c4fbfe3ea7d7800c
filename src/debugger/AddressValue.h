#pragma once

#include "DspValue.h"

// A value of a backend; symbol lookups bind it to an address.
class CAddressValue : public IDspValue {
public:
    explicit CAddressValue(quint32 number)
        : m_nNumber(number)
    {
    }

    quint32 Number() const override { return m_nNumber; }
    void SetNumber(quint32 number) { m_nNumber = number; }

private:
    quint32 m_nNumber;
};
