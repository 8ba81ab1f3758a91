// Integer syntax against a plain model built on the C library's strtoll and strtoull.
//
// Input: the text.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/error.h"
#include "core/intsyntax.h"
#include "fuzz_support.h"

namespace {

bool AllOf(const std::string& s, const char* allowed) {
  return !s.empty() && s.find_first_not_of(allowed) == std::string::npos;
}

std::optional<std::int32_t> Model(const std::string& text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return std::nullopt;
  const std::string s = text.substr(start);

  std::string hex;
  if (s[0] == '$' || s[0] == 'x' || s[0] == 'X')
    hex = s.substr(1);
  else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    hex = s.substr(2);
  else
    hex = "-";  // not hexadecimal
  if (hex != "-") {
    if (!AllOf(hex, "0123456789abcdefABCDEF")) return std::nullopt;
    errno = 0;
    const unsigned long long value = std::strtoull(hex.c_str(), nullptr, 16);
    if (errno == ERANGE || value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }

  const std::size_t digits = (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (!AllOf(s.substr(digits), "0123456789")) return std::nullopt;
  errno = 0;
  const long long value = std::strtoll(s.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = AsText(data, size);
  const auto parsed = ParseInteger(text);
  FUZZ_CHECK(parsed == Model(text));
  try {
    const std::int32_t read = ReadInteger(text);
    FUZZ_CHECK(parsed == read);
  } catch (const EError& error) {
    FUZZ_CHECK(!parsed);
    FUZZ_CHECK(MessageNames(error.what(), text));
  }
  return 0;
}
