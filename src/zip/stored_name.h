#pragma once
// Whether a name from an archive may become a path below the target folder. A hostile
// archive must not write outside it, into a device or an alternate data stream, nor under a
// name that Windows would change or take for another.
#include <string>

namespace dszip {

struct SafeName {
  std::string path =
      {};  // relative, "\" separated, no trailing separator; empty for "./" or if refused
  const char* refused = nullptr;  // the reason, from the texts header
};

SafeName CheckStoredName(const std::string& name);

// A path as Windows compares names: letter case folded (ASCII, Latin-1, Greek, Cyrillic).
std::string FoldCase(const std::string& path);

}  // namespace dszip
