#include "engine/sets/escape.h"

namespace dszip::sets {
namespace {

bool NeedsEscape(unsigned char byte, bool asciiOnly) {
  return byte < 0x20 || byte == 0x7F || byte == '%' || (asciiOnly && byte >= 0x80);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string Escaped(std::string_view text, bool asciiOnly) {
  static constexpr const char* kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (!NeedsEscape(byte, asciiOnly)) {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

std::optional<std::string> Unescaped(std::string_view text, bool asciiOnly) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (NeedsEscape(static_cast<unsigned char>(text[i]), asciiOnly)) return std::nullopt;
      out += text[i];
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

bool HasShape(std::string_view text, std::string_view shape) {
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    const bool fits = shape[i] == '0'   ? text[i] >= '0' && text[i] <= '9'
                      : shape[i] == '+' ? text[i] == '+' || text[i] == '-'
                                        : text[i] == shape[i];
    if (!fits) return false;
  }
  return true;
}

uint64_t DigitsValue(std::string_view digits) {
  uint64_t value = 0;
  for (const char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

}  // namespace dszip::sets
