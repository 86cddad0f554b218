// Numbers as text for the text model formats: the shortest form that reads
// back as the same float, "." whatever the locale.
#pragma once

#include <charconv>
#include <cstdint>

// Each writes at most MaxNumberChars characters at `at` and returns the end.
inline constexpr size_t MaxNumberChars = 24;

inline char *PutNumber(char *at, float value)
{
    return std::to_chars(at, at + MaxNumberChars, value).ptr;
}

inline char *PutNumber(char *at, uint64_t value)
{
    return std::to_chars(at, at + MaxNumberChars, value).ptr;
}

template <size_t N>
char *PutText(char *at, const char (&text)[N])
{
    for (size_t i = 0; i + 1 < N; ++i)
        *at++ = text[i];
    return at;
}
