#pragma once
#include <string>
#include <vector>

#include "dszip/command_line.h"
#include "engine/file_system.h"
#include "zip/zip_writer.h"

namespace dszip {

// A folder that no source takes in, such as the archive's own: else every backup would carry
// the earlier ones, and a move would delete them.
struct ProtectedFolder {
  std::string path;    // full path
  std::string reason;  // for the summary
};

struct Selection {
  std::vector<Item> items;  // the writer's items: full source paths
  std::vector<std::string> warnings;
  std::vector<std::string> notes;    // said in the summary, no warning: folders left out by rule
  std::vector<std::string> missing;  // sources that do not exist
  // With -ao: every file the sources name, archive attribute or not, for the state list.
  std::vector<Item> found;
  // A source missing or a folder not listed: what they hold is unknown, so no thinning trusts
  // this archive to stand in for earlier ones.
  bool unknownParts = false;
  uint64_t files = 0;
  uint64_t bytes = 0;
};

// The files and empty folders the sources name, in archive order. `archive` (full path) is
// never taken, nor a temporary file of ours beside it, nor anything in `protectedFolders`;
// a source that names one of those is refused (RunError, kExitUsage).
Selection SelectSources(FileSystem& fs, const Options& options, const std::string& archive,
                        const std::vector<ProtectedFolder>& protectedFolders = {});

}  // namespace dszip
