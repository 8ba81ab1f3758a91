#pragma once
#include <optional>
#include <string>
#include <string_view>

// Windows-1252, the code page of every text the logic handles, against Unicode. Used where
// text crosses into or out of that code page: settings files stored as UTF-16, file paths
// (kept in UTF-8 because a folder's name may hold any character) and texts shown to the user.
// Conversions towards Windows-1252 are exact or fail; nothing is replaced by a look-alike.

// Stands in a text taken from the window for each character the code page lacks. No window
// text can hold it, so the logic can tell such a text from anything typed.
inline constexpr char kUnconvertible = '\0';
inline bool IsExact(std::string_view text) {
  return text.find(kUnconvertible) == std::string_view::npos;
}

// The Unicode character of a byte. The five bytes the code page leaves unassigned stand for
// the control characters of the same number, as the platform's own conversion has them.
char32_t UnicodeOf(unsigned char byte);
// The byte of a character; nothing when the code page has none.
std::optional<unsigned char> Cp1252Of(char32_t character);

std::string Utf8FromCp1252(std::string_view text);
// Nothing when the text is no valid UTF-8 or holds a character the code page lacks.
std::optional<std::string> Cp1252FromUtf8(std::string_view text);

// Each character the code page lacks, and each byte that is no part of a valid UTF-8 sequence,
// becomes "?"; `exact` tells whether any did. With `utf16Units` a character beyond U+FFFF
// becomes "??", one for each of its UTF-16 units, as the platform reads a UTF-16 file through
// its ANSI functions.
std::string Cp1252FromUtf8Replacing(std::string_view text, bool& exact, bool utf16Units = false);
