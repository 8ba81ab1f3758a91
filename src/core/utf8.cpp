#include "core/utf8.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void AppendUnit(std::string& out, uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

}  // namespace

std::size_t NextUtf8(std::string_view text, std::size_t at, uint32_t& point) {
  const auto lead = static_cast<uint8_t>(text[at]);
  const std::size_t length = lead < 0x80                   ? 1
                             : lead >= 0xC2 && lead < 0xE0 ? 2
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF5 ? 4
                                                           : 0;
  if (length == 0 || at + length > text.size()) return 0;
  uint32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<uint8_t>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  point = c;
  return length;
}

bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& points) {
  for (std::size_t i = 0; i < text.size();) {
    uint32_t c = 0;
    const std::size_t length = NextUtf8(text, i, c);
    if (length == 0) return false;
    points.push_back(c);
    i += length;
  }
  return true;
}

void AppendUtf8(std::string& out, uint32_t point) {
  const uint32_t c = point;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Utf8FromUtf16Le(std::string_view bytes, bool& exact) {
  exact = bytes.size() % 2 == 0;
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
  };
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    uint32_t c = unit(at);
    const bool high = c >= 0xD800 && c < 0xDC00;
    const bool pairs =
        high && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 && unit(at + 2) < 0xE000;
    if (pairs) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
      at += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = kReplacement;
      exact = false;
    }
    AppendUtf8(out, c);
  }
  if (bytes.size() % 2 != 0) AppendUtf8(out, kReplacement);
  return out;
}

std::string Utf16LeFromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t at = 0; at < text.size();) {
    uint32_t c = kReplacement;
    const std::size_t length = NextUtf8(text, at, c);
    at += length == 0 ? 1 : length;
    if (c < 0x10000) {
      AppendUnit(out, c);
    } else {
      AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
      AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}
