#pragma once
// t <folder>\: every archive of a backup folder judged, set by set. Each archive is tested entry
// by entry as t tests one; each incremental's chain is followed back to its full by the sets
// engine's links; each state list is held against its chain. Nothing is written. The verdicts
// come back as data, for the console or a window to show.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/console.h"
#include "engine/file_system.h"
#include "engine/sets/backup_sets.h"
#include "zip/crypto.h"

namespace dszip {

// Ordered: the worst of several is the largest.
enum class Soundness { Sound, Doubtful, Damaged };

struct ArchiveCheck {
  Soundness soundness = Soundness::Sound;
  uint64_t files = 0;                 // tested whole
  std::vector<std::string> findings;  // what is wrong or could not be judged, one text each
};

struct SetCheck {
  sets::BackupSet set;                 // its archives oldest first
  std::vector<ArchiveCheck> archives;  // in the same order
  Soundness soundness = Soundness::Sound;
};

struct FolderCheck {
  std::string folder;  // full, ending in "\"
  std::vector<SetCheck> sets;
  std::vector<std::string> withoutRecord;  // ZIP files of no set: listed, not judged
  Soundness soundness = Soundness::Sound;
};

// `password` opens encrypted archives; an archive it does not open (or none given) is doubtful,
// never asked for. Throws FileError when the folder cannot be listed, RunError with
// kExitInterrupted on Ctrl+C. `console` shows progress only.
FolderCheck CheckFolder(FileSystem& fs, Crypto& crypto, Console& console,
                        const std::atomic<bool>& cancelled, const std::string& folder,
                        const std::optional<std::string>& password);

}  // namespace dszip
