#include "core/cp1252.h"

#include <cstdint>
#include <vector>

#include "core/utf8.h"

namespace {

// 0x80 to 0x9F; the unassigned bytes map to the control character of their own number.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t UnicodeOf(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

std::optional<unsigned char> Cp1252Of(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
    return static_cast<unsigned char>(character);
  for (unsigned i = 0; i < 32; ++i)
    if (kHigh[i] == character) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

std::string Utf8FromCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) AppendUtf8(out, UnicodeOf(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> Cp1252FromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::vector<uint32_t> points;
  if (!DecodeUtf8(text, points)) return std::nullopt;
  for (const uint32_t c : points) {
    const auto byte = Cp1252Of(c);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

std::string Cp1252FromUtf8Replacing(std::string_view text, bool& exact, bool utf16Units) {
  exact = true;
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    uint32_t c = 0;
    const std::size_t length = NextUtf8(text, at, c);
    at += length == 0 ? 1 : length;
    const auto byte = length == 0 ? std::nullopt : Cp1252Of(c);
    exact = exact && byte;
    if (byte)
      out += static_cast<char>(*byte);
    else
      out += utf16Units && c >= 0x10000 ? "??" : "?";
  }
  return out;
}
