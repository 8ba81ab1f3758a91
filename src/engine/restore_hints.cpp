#include "engine/restore_hints.h"

#include "core/filled.h"
#include "engine/mask.h"
#include "engine/outcome.h"
#include "engine/target_folder.h"
#include "engine/texts.h"

namespace dszip {
namespace {

bool Extracting(const RestoreOptions& options) {
  return options.command == RestoreCommand::Extract ||
         options.command == RestoreCommand::ExtractFlat;
}

// A name that could have been meant as the target: x or e, no target, no wildcard.
bool CouldBeTarget(const RestoreOptions& options) {
  return Extracting(options) && !options.dropped && options.target.empty() &&
         !options.masks.empty() && !HasWildcard(options.masks.front());
}

}  // namespace

void TakeFolderAsTarget(RestoreContext& run, RestoreOptions& options) {
  if (!CouldBeTarget(options)) return;
  const std::string& name = options.masks.front();
  for (const ArchiveEntry& entry : run.entries)
    if (SelectsStoredPath(entry.record.name, entry.IsFolder(), name, options.recurse)) return;
  if (!FolderExists(run.fs, run.fs.FullPath(name))) return;
  run.notes.push_back(Filled(texts::FolderTakenAsTarget, {name, name + "\\"}));
  options.target = name + "\\";
  options.masks.erase(options.masks.begin());
}

std::string TargetBackslashNote(const RestoreOptions& options) {
  if (!CouldBeTarget(options)) return {};
  const std::string& name = options.masks.front();
  return Filled(texts::TargetNeedsBackslash, {name + "\\", name});
}

std::string ChainNote(RestoreContext& run, const std::string& target) {
  if (!Extracting(run.options) || run.chained) return {};
  ChainRestoreStep chain;
  const std::string folder = target.ends_with('\\') ? target : target + "\\";
  const std::string command = Filled(texts::ChainCommand, {run.archive, folder});
  try {
    if (!chain.Open(run.fs, run.archive, run.entries)) return {};
  } catch (const RunError&) {
    return Filled(texts::IncrementalChainBroken, {command});
  }
  return Filled(texts::IncrementalNeedsChain, {chain.FirstName(), command});
}

std::string FilledTargetNote(RestoreContext& run, const std::string& target) {
  try {
    if (run.fs.List(target).empty()) return {};
  } catch (const FileError&) {
    return {};
  }
  return Filled(run.options.overwrite == Overwrite::Warn ? texts::ChainIntoFilledFolder
                                                         : texts::ChainDeletedFilesStay,
                {target});
}

}  // namespace dszip
