#pragma once

#include "ImageBlockSource.h"

// TI ASCII hex: two-digit byte values between separators, "$A" address fields
// ended by a comma, and ETX ending a block. The parse state survives between
// blocks, so a block may end inside an address field.
class CTiHexSource : public CImageBlockSource {
public:
    using CImageBlockSource::CImageBlockSource;

protected:
    int ReadNext(quint32 &address, quint8 *buffer, int capacity) override;

private:
    enum class State { BetweenBytes, SecondDigit, AfterDollar, AddressDigits };

    // Handles one character; returns false when the block ends with it.
    bool Consume(int c, quint32 &address, quint8 *buffer, int &count);
    bool ConsumeBetweenBytes(int c);
    bool ConsumeAddressDigit(int c, quint32 &address);

    State m_state = State::BetweenBytes;
    int m_nHighDigit = 0;
    quint32 m_nFieldAddress = 0;
    int m_nFieldDigits = 0;
};
