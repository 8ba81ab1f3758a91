#include "win32/wide_text.h"

#include <windows.h>

#include "core/cp1252.h"

namespace {

constexpr UINT kWindows1252 = 1252;

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, result.data(), length);
  return result;
}

// `exact` is cleared when the code page lacks a character; best-fit look-alikes are never used.
std::string FromWide(UINT codePage, const std::wstring& text, bool* exact) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int length =
      WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, used);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), size, result.data(), length, nullptr, used);
  if (exact) *exact = !usedDefault;
  return result;
}

}  // namespace

std::wstring Widen(const std::string& cp1252) { return ToWide(kWindows1252, cp1252); }

std::optional<std::string> NarrowExactly(const std::wstring& text) {
  bool exact = true;
  std::string result = FromWide(kWindows1252, text, &exact);
  if (!exact) return std::nullopt;
  return result;
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

std::wstring WidenUtf8(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string Utf8(const std::wstring& text) { return FromWide(CP_UTF8, text, nullptr); }
