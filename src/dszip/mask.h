#pragma once
#include <string_view>

namespace dszip {

bool HasWildcard(std::string_view text);

// A file name against a mask with "*" and "?", ignoring letter case like the platform does.
// "*.*" takes every name, and "name.*" also a name without any extension.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace dszip
