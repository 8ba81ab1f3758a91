#pragma once
// Whether a name from an archive may become a path below the target folder. A hostile
// archive must not write outside it, into a device or an alternate data stream, nor under a
// name that Windows would change or take for another.
#include <optional>
#include <string>

namespace zip {

// Why a name is refused.
enum class NameFlaw {
  Parent,     // a ".." part
  Absolute,   // an absolute path, or an empty part
  Stream,     // ":": a drive or an alternate data stream
  Device,     // a device name such as "con" or "lpt1"
  Trailing,   // a part ending in a dot or a blank
  Control,    // a control character
  Character,  // a character Windows does not allow in names
  Encoding,   // no valid UTF-8
};

struct SafeName {
  std::string path =
      {};  // relative, "\" separated, no trailing separator; empty for "./" or if refused
  std::optional<NameFlaw> refused = {};
};

SafeName CheckStoredName(const std::string& name);

// A path as Windows compares names: letter case folded (ASCII, Latin-1, Greek, Cyrillic).
std::string FoldCase(const std::string& path);

}  // namespace zip
