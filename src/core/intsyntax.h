#pragma once
#include <cstdint>
#include <optional>
#include <string>

// Decimal with an optional sign, or hexadecimal after "$", "x", "X", "0x" or "0X" taken as a
// 32-bit pattern; leading blanks skipped, nothing may follow.
std::optional<std::int32_t> ParseInteger(const std::string& text);

// The same, raising texts::InvalidInteger when the text does not convert.
std::int32_t ReadInteger(const std::string& text);
