#pragma once
// What the user picked in a night, turned into restores: each the engine's restore of the night
// from its chain into one target folder, limited to the picked files and folders. To the original
// place every source of the set has its own folder, so that may take one restore per source.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/console.h"
#include "engine/file_system.h"
#include "restore_window/night_tree.h"
#include "runlog/run_log.h"
#include "zip/crypto.h"

namespace restore_window {

struct Destination {
  bool original = false;  // "An den urspruenglichen Ort"; else below `folder`
  std::string folder;
  bool replace = false;  // "Vorhandene Dateien ersetzen"
};

struct RestoreRun {
  std::string target;              // full path, ending in "\"
  std::vector<std::string> masks;  // none: the whole night
  std::vector<std::string> files;  // the stored paths of the files it restores
};

struct RestoreOrder {
  std::string archive;  // full path
  bool replace = false;
  std::vector<RestoreRun> runs;
  std::vector<std::string> withoutOrigin;  // picked, but no source of the set names them
};

// `picked`: stored paths from the tree; none picks the whole night. `sources`: the set's, as
// its records name them (UTF-8).
RestoreOrder PlanRestore(const std::string& archive, const std::vector<TreeNode>& roots,
                         const std::vector<std::string>& picked, const Destination& destination,
                         const std::vector<std::string>& sources);

// The folder a stored path was backed up from, by the first source that takes it in; nothing
// when none does.
std::optional<std::string> OriginalFolder(const std::vector<std::string>& sources,
                                          const std::string& storedPath);

// How many of the files to restore are there already at their targets.
uint64_t CountExisting(dszip::FileSystem& fs, const RestoreOrder& order);

// Runs every restore of the order through the engine, its verdict to the console (the window)
// and to the central log and the event log. `password` (as typed), or one typed for the first
// run, is given to the others, so it is asked once. Stops after a run that was cancelled or
// refused the password. Returns the worst exit code.
int RunOrder(const RestoreOrder& order, dszip::FileSystem& fs, zip::Crypto& crypto,
             dszip::Console& console, runlog::Sink& sink, const std::atomic<bool>& cancelled,
             const std::optional<std::string>& password = std::nullopt);

// "Pruefen": the engine's folder check over `folder` (ending in "\"): every archive tested,
// every chain followed to its full, every state list held against its chain. It asks for no
// password; `password`, one typed for a night, opens encrypted archives.
int RunFolderCheck(const std::string& folder, dszip::FileSystem& fs, zip::Crypto& crypto,
                   dszip::Console& console, runlog::Sink& sink, const std::atomic<bool>& cancelled,
                   const std::optional<std::string>& password = std::nullopt);

// The line beside the progress bar: "12 von 40 Dateien, 3,4 von 10,2 MB".
std::string ProgressLine(const dszip::ProgressCounts& counts);
// The bar's position, 0 to kProgressSteps: by bytes, by files when there are no bytes.
inline constexpr unsigned kProgressSteps = 1000;
unsigned ProgressSteps(const dszip::ProgressCounts& counts);

}  // namespace restore_window
