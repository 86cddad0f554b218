// Integer text as the settings file and the editors write it: decimal, or
// hexadecimal after "$" or "0x"; colours as "$" and 8 upper-case hex digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Leading blanks and a sign are allowed, nothing may follow the digits.
// Hexadecimal covers the full 32 bits (so "$FFFFFFFF" is -1); decimal must fit
// a signed 32-bit integer.
std::optional<int32_t> TryStrToInt(const std::string &text);
int32_t StrToIntDef(const std::string &text, int32_t defaultValue);

// "$" followed by exactly 8 upper-case hexadecimal digits.
std::string HexColorText(uint32_t color);
