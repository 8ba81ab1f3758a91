#include "win32/wide_text.h"

#include <windows.h>

#include "core/cp1252.h"
#include "win32_common/utf16.h"

// Through UTF-8 with the tool's own table, which maps as the system's code page 1252 does
// (its five unassigned bytes included) and never to a look-alike.
std::wstring Widen(const std::string& cp1252) { return WideFromUtf8(Utf8FromCp1252(cp1252)); }

std::optional<std::string> NarrowExactly(const std::wstring& text) {
  return Cp1252FromUtf8(Utf8FromWide(text));
}

std::string Narrow(const std::wstring& text) {
  if (auto exact = NarrowExactly(text)) return *exact;
  std::string result;
  for (size_t at = 0; at < text.size();) {
    // A surrogate pair is one character.
    const size_t length = IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() ? 2 : 1;
    result += NarrowExactly(text.substr(at, length)).value_or(std::string(1, kUnconvertible));
    at += length;
  }
  return result;
}
