#pragma once
// The one UTF-8 codec: paths, names in archives and texts shown to the user are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The length of the sequence that begins at `at` and its code point in `point`; 0 for anything
// malformed, overlong, a surrogate or beyond U+10FFFF.
std::size_t NextUtf8(std::string_view text, std::size_t at, uint32_t& point);
// Appends the text's code points; false for anything malformed (see NextUtf8).
bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& points);
void AppendUtf8(std::string& out, uint32_t point);

// UTF-16 in little-endian byte order, as a settings file may hold it after its byte order mark.
// An unpaired surrogate or an odd last byte becomes U+FFFD and clears `exact`.
std::string Utf8FromUtf16Le(std::string_view bytes, bool& exact);
// Each byte that is no part of a valid sequence becomes U+FFFD.
std::string Utf16LeFromUtf8(std::string_view text);
