#pragma once
// A night's files as x -kette restores them: each from the newest archive of the chain that
// holds it, without what had been deleted by then; and the filter that narrows them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "zip/crypto.h"

namespace restore_window {

struct TreeNode {
  std::string name;  // the last part of its path
  std::string path;  // the stored path, "/" separated, without a closing "/"
  bool folder = false;
  uint64_t size = 0;
  uint64_t modified = 0;           // the file system's ticks
  std::string archive;             // the file name of the archive it comes from
  std::vector<TreeNode> children;  // folders first, then by name
};

enum class NightAccess { Read, PasswordNeeded, PasswordWrong };

struct NightTree {
  NightAccess access = NightAccess::Read;
  std::vector<TreeNode> roots;
  uint64_t files = 0, bytes = 0;
};

// The night of `archive` (full path). An encrypted state list needs the password first
// (`typed`, as the user typed it); a chain with a link missing raises dszip::RunError naming
// it, a damaged archive zip::Error, an unreadable one FileError.
NightTree ReadNight(dszip::FileSystem& fs, zip::Crypto& crypto, const std::string& archive,
                    const std::optional<std::string>& typed);

// A node's line in the tree: a folder's name; a file's with its size, time and archive.
std::string NodeText(dszip::FileSystem& fs, const TreeNode& node);

// The nodes whose name holds `text` (letter case ignored), a folder with all it holds, and the
// folders that lead to them. An empty text keeps everything.
std::vector<TreeNode> Filtered(const std::vector<TreeNode>& roots, const std::string& text);

}  // namespace restore_window
