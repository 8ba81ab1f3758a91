#pragma once
// Text that may hold any byte, written on one line of a record or list: "%" and the bytes
// that would break the line or its reading become "%XX" (two upper-case hex digits).
#include <optional>
#include <string>
#include <string_view>

namespace dszip::sets {

// With `asciiOnly`, every byte beyond printable ASCII is escaped too (the archive comment has
// no declared code page); else UTF-8 letters stay as they are.
std::string Escaped(std::string_view text, bool asciiOnly);
// Nothing for a "%" without two hex digits after it, or a byte that Escaped would have escaped.
std::optional<std::string> Unescaped(std::string_view text, bool asciiOnly);

}  // namespace dszip::sets
