#include "NumberParsing.h"

#include <limits>

namespace {

int SuffixBase(QChar c)
{
    switch (c.unicode()) {
    case 'H': return 16;
    case 'Q': return 8;
    case 'B': return 2;
    default: return 10;
    }
}

int ChooseBase(QStringView text)
{
    if (text.size() <= 1)
        return 10;
    qsizetype pos = 0;
    if (text[0] == u'+' || text[0] == u'-')
        ++pos;
    if (pos + 1 < text.size() && text[pos] == u'0')
        return (text[pos + 1] == u'x' || text[pos + 1] == u'X') ? 16 : 8;
    return SuffixBase(text.back());
}

int DigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return 99;
}

bool IsSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

// The magnitude of the digits, capped just above the 32-bit range, the sign,
// how many digits were read and where the reading stopped.
struct Conversion {
    quint64 magnitude = 0;
    bool negative = false;
    int digits = 0;
    qsizetype end = 0;
};

constexpr quint64 kCap = quint64(1) << 33;

Conversion Convert(QStringView text, int base)
{
    Conversion result;
    qsizetype pos = 0;
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        result.negative = text[pos] == u'-';
        ++pos;
    }
    if (base == 16 && pos + 2 < text.size() && text[pos] == u'0'
        && (text[pos + 1] == u'x' || text[pos + 1] == u'X') && DigitValue(text[pos + 2]) < 16)
        pos += 2;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit >= base)
            break;
        result.magnitude = qMin(result.magnitude * base + digit, kCap);
        ++result.digits;
    }
    result.end = pos;
    return result;
}

} // namespace

qint32 ParseSigned(QStringView text)
{
    const Conversion c = Convert(text, ChooseBase(text));
    if (c.negative) {
        const quint64 limit = quint64(std::numeric_limits<qint32>::max()) + 1;
        return c.magnitude >= limit ? std::numeric_limits<qint32>::min() : -qint32(c.magnitude);
    }
    return c.magnitude > quint64(std::numeric_limits<qint32>::max()) ? std::numeric_limits<qint32>::max()
                                                                      : qint32(c.magnitude);
}

quint32 ParseUnsigned(QStringView text)
{
    const Conversion c = Convert(text, ChooseBase(text));
    if (c.magnitude > std::numeric_limits<quint32>::max())
        return std::numeric_limits<quint32>::max();
    const quint32 value = quint32(c.magnitude);
    return c.negative ? quint32(0u - value) : value;
}

// The reading stops at the end, or just before the suffix that chose the base.
bool IsNumberText(QStringView text)
{
    const int base = ChooseBase(text);
    const Conversion c = Convert(text, base);
    const bool whole = c.end == text.size() || (c.end == text.size() - 1 && base != 10 && SuffixBase(text.back()) == base);
    return c.digits > 0 && whole && c.magnitude <= std::numeric_limits<quint32>::max();
}

QString NumberNotations()
{
    return QStringLiteral("4096, 0x1000, 1000H, 010000, 10000Q or 1010B, with an optional sign");
}
