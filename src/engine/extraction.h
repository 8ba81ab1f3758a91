#pragma once
// Reading the planned entries on all cores: x and e write each file under a temporary name
// beside its final one and rename it only once its MAC, size and CRC are checked; t checks and
// writes nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/restore_context.h"

namespace dszip {

enum class EntryAction { Write, Check };

struct Restored {
  uint64_t files = 0, bytes = 0;  // written or checked whole
};

// The entries' warnings go to `run.warnings`; a full disk or Ctrl+C ends the run (RunError).
Restored ReadEntries(RestoreContext& run, const std::optional<std::string>& password,
                     std::vector<Planned> files, EntryAction action);

// Folder times last, deepest first: writing into a folder changes its time.
void FinishFolders(RestoreContext& run, std::vector<Planned> folders);

}  // namespace dszip
