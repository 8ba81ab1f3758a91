#pragma once
// The one UTF-8 codec: paths, names in archives and texts shown to the user are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Appends the text's code points; false for anything malformed, overlong, a surrogate or
// beyond U+10FFFF.
bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& points);
void AppendUtf8(std::string& out, uint32_t point);
