#include "TiHexSource.h"

#include "HexDigit.h"

namespace {

constexpr int kEtx = 0x03;
constexpr int kMaxAddressDigits = 8;

bool IsSeparator(int c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == ',';
}

} // namespace

int CTiHexSource::ReadNext(quint32 &address, quint8 *buffer, int capacity)
{
    address = m_nCurrentAddress;
    int count = 0;
    while (count < capacity) {
        const int c = m_input.Get();
        if (c < 0)
            return count > 0 ? DeliverBlock(count) : -1;
        if (!Consume(c, address, buffer, count))
            return DeliverBlock(count);
    }
    return DeliverBlock(count);
}

bool CTiHexSource::Consume(int c, quint32 &address, quint8 *buffer, int &count)
{
    switch (m_state) {
    case State::BetweenBytes:
        return ConsumeBetweenBytes(c);
    case State::SecondDigit: {
        m_state = State::BetweenBytes;
        const int digit = HexDigit::Value(c);
        if (digit < 0) {
            FailInvalidDigit();
            return false;
        }
        buffer[count++] = quint8((m_nHighDigit << 4) | digit);
        return true;
    }
    case State::AfterDollar:
        if (c != 'A') {
            Fail(QStringLiteral("Hex File Error: I don't understand $%1 yet.").arg(QChar(c)));
            return false;
        }
        m_state = State::AddressDigits;
        m_nFieldAddress = 0;
        m_nFieldDigits = 0;
        return count == 0; // the address field starts the next block
    case State::AddressDigits:
        return ConsumeAddressDigit(c, address);
    }
    return false;
}

bool CTiHexSource::ConsumeBetweenBytes(int c)
{
    if (IsSeparator(c))
        return true;
    if (c == kEtx)
        return false;
    if (c == '$') {
        m_state = State::AfterDollar;
        return true;
    }
    m_nHighDigit = HexDigit::Value(c);
    if (m_nHighDigit >= 0) {
        m_state = State::SecondDigit;
        return true;
    }
    Fail(QStringLiteral(
        "Hex File Error: Invalid hex file char seen.\r\nPlease review the hex file for incorrect characters."));
    return false;
}

bool CTiHexSource::ConsumeAddressDigit(int c, quint32 &address)
{
    if (c == ',') {
        m_nCurrentAddress = m_nFieldAddress;
        address = m_nFieldAddress;
        m_state = State::BetweenBytes;
        return true;
    }
    const int digit = HexDigit::Value(c);
    if (digit < 0) {
        Fail(QStringLiteral("Hex File Error: Improper $Axxxx address field."));
        return false;
    }
    if (m_nFieldDigits == kMaxAddressDigits) {
        Fail(QStringLiteral("Hex File Error: $Ax...x address field too long."));
        return false;
    }
    m_nFieldAddress = (m_nFieldAddress << 4) | quint32(digit);
    ++m_nFieldDigits;
    return true;
}
