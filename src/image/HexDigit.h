#pragma once

#include <array>

namespace HexDigit {

constexpr std::array<signed char, 256> MakeTable()
{
    std::array<signed char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = -1;
    for (int c = '0'; c <= '9'; ++c)
        table[size_t(c)] = static_cast<signed char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) {
        table[size_t(c)] = static_cast<signed char>(c - 'A' + 10);
        table[size_t(c - 'A' + 'a')] = static_cast<signed char>(c - 'A' + 10);
    }
    return table;
}

inline constexpr std::array<signed char, 256> kTable = MakeTable();

// The value of a hexadecimal digit (0-9, A-F, a-f), or -1 for any other
// character and for the end of input (-1).
inline int Value(int c)
{
    return c >= 0 ? kTable[size_t(c & 0xFF)] : -1;
}

// The byte that two hexadecimal digits at `text` stand for, or -1 when either is no digit.
inline int PairValue(const unsigned char *text)
{
    static const std::array<short, 65536> pairs = [] {
        std::array<short, 65536> table{};
        for (int first = 0; first < 256; ++first)
            for (int second = 0; second < 256; ++second) {
                const int high = kTable[size_t(first)];
                const int low = kTable[size_t(second)];
                table[size_t(first << 8 | second)] = short(high < 0 || low < 0 ? -1 : high << 4 | low);
            }
        return table;
    }();
    return pairs[size_t(text[0] << 8 | text[1])];
}

// Decodes `count` bytes of two hexadecimal digits each from `text`; false when any is no digit.
inline bool DecodePairs(const unsigned char *text, int count, unsigned char *bytes)
{
    int invalid = 0;
    for (int i = 0; i < count; ++i) {
        const int value = PairValue(text + 2 * i);
        invalid |= value;
        bytes[i] = static_cast<unsigned char>(value);
    }
    return invalid >= 0;
}

} // namespace HexDigit
