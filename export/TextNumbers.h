// Numbers as text for the text model formats, "." whatever the locale.
// Coordinates go out with a fixed number of decimals (trailing zeros
// dropped) through integer arithmetic: several times faster than the
// shortest exact form, and as precise as any model needs.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>

// Each writes at most MaxNumberChars characters at `at` and returns the end.
inline constexpr size_t MaxNumberChars = 32;

inline char *PutNumber(char *at, uint64_t value)
{
    return std::to_chars(at, at + MaxNumberChars, value).ptr;
}

// `value` rounded to `Decimals` (1 … 9) places: 12.5, -0.0031, 7, 0.
template <int Decimals>
char *PutFixed(char *at, float value)
{
    static_assert(Decimals >= 1 && Decimals <= 9);
    constexpr uint64_t unit = [] {
        uint64_t u = 1;
        for (int i = 0; i < Decimals; ++i)
            u *= 10;
        return u;
    }();
    const double scaled = std::round(double(value) * double(unit));
    if (!(std::fabs(scaled) < 9e18))  // beyond the integers: the shortest exact form
        return std::to_chars(at, at + MaxNumberChars, value).ptr;
    auto n = int64_t(scaled);
    if (n < 0) {
        *at++ = '-';
        n = -n;
    }
    at = PutNumber(at, uint64_t(n) / unit);
    uint64_t fraction = uint64_t(n) % unit;
    if (fraction == 0)
        return at;
    int digits = Decimals;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    *at = '.';
    for (int i = digits; i > 0; --i, fraction /= 10)
        at[i] = char('0' + fraction % 10);
    return at + digits + 1;
}

template <size_t N>
char *PutText(char *at, const char (&text)[N])
{
    for (size_t i = 0; i + 1 < N; ++i)
        *at++ = text[i];
    return at;
}
