#pragma once
#include <string_view>

namespace dszip {

bool HasWildcard(std::string_view text);

// A file name against a mask with "*" and "?", ignoring letter case like the platform does.
// "*.*" takes every name, and "name.*" also a name without any extension.
bool MatchesMask(std::string_view name, std::string_view mask);

// Restoring: whether a mask given after the target selects a stored path ("/" or "\"
// separated), as a source selects files for a. The mask's folder part names folders level by
// level; its last part names files in that folder and, with `recurse`, in every folder below.
// A last part without wildcards also names a folder there, which brings what lies in it.
bool SelectsStoredPath(std::string_view path, bool isFolder, std::string_view mask, bool recurse);

}  // namespace dszip
