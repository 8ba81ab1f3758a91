#pragma once
// Reading and writing the lines of a record or list. Text that may hold any byte is escaped:
// "%" and the bytes that would break the line or its reading become "%XX" (two upper-case hex
// digits).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dszip::sets {

// With `asciiOnly`, every byte beyond printable ASCII is escaped too (the archive comment has
// no declared code page); else UTF-8 letters stay as they are.
std::string Escaped(std::string_view text, bool asciiOnly);
// Nothing for a "%" without two hex digits after it, or a byte that Escaped would have escaped.
std::optional<std::string> Unescaped(std::string_view text, bool asciiOnly);

// Whether a fixed-width field has the shape given: "0" stands for a digit, "+" for a sign
// ("+" or "-"), anything else for itself.
bool HasShape(std::string_view text, std::string_view shape);
// The value of a run of digits (checked by HasShape).
uint64_t DigitsValue(std::string_view digits);

}  // namespace dszip::sets
