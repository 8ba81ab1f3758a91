#include "engine/restore_plan.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "core/filled.h"
#include "engine/mask.h"
#include "engine/target_folder.h"
#include "engine/texts.h"
#include "engine/zip_errors.h"
#include "zip/stored_name.h"

namespace dszip {
namespace {

// Entries whose data begins inside another's: a bomb that inflates one stream many times
// over, each time within its recorded size, fills the disk all the same.
std::set<size_t> SharingData(const RestoreContext& run) {
  const std::vector<ArchiveEntry>& entries = run.entries;
  std::vector<size_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&run](size_t a, size_t b) { return run.Before(a, b); });
  std::set<size_t> sharing;
  constexpr uint64_t kLocalHeaderSize = 30;
  for (size_t k = 1; k < order.size(); ++k) {
    if (run.PartOf(order[k - 1]) != run.PartOf(order[k])) continue;
    const EntryRecord& before = entries[order[k - 1]].record;
    const uint64_t gap = entries[order[k]].record.offset - before.offset;
    if (gap < kLocalHeaderSize || gap - kLocalHeaderSize < before.compressedSize)
      sharing.insert(order[k]);
  }
  return sharing;
}

std::string Join(const std::string& target, const std::string& relative) {
  return target + (target.back() == '\\' ? "" : "\\") + relative;
}

std::string TargetOf(RestoreContext& run) {
  std::string target = run.options.dropped          ? CreateDroppedTarget(run.fs, run.archive)
                       : run.options.target.empty() ? run.fs.FullPath(".")
                                                    : run.fs.FullPath(run.options.target);
  while (target.size() > 3 && target.back() == '\\') target.pop_back();
  return target;
}

// e puts every file in one folder: a second file of a name meets the first as an existing
// file would. With -o+ the last one wins, so only it is written.
std::vector<Planned> WithoutSameNames(RestoreContext& run, const std::vector<Planned>& files) {
  std::map<std::string, size_t> last;
  for (size_t k = 0; k < files.size(); ++k) last[FoldCase(files[k].path)] = k;
  std::map<std::string, size_t> first;
  std::vector<Planned> kept;
  for (size_t k = 0; k < files.size(); ++k) {
    const std::string key = FoldCase(files[k].path);
    const bool isFirst = first.emplace(key, k).second;
    if (run.options.overwrite == Overwrite::Replace ? last[key] == k : isFirst)
      kept.push_back(files[k]);
    else if (run.options.overwrite == Overwrite::Warn)
      run.warnings.Add(files[k].entry, Filled(texts::EntryExists, {files[k].path}));
  }
  return kept;
}

void CreateFolderChain(FileSystem& fs, const std::string& path) {
  const auto info = fs.Stat(path);
  if (info && info->IsFolder()) return;
  const size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 2) CreateFolderChain(fs, path.substr(0, slash));
  try {
    fs.CreateFolder(path);
  } catch (const FileError& error) {
    if (!error.Is(FileError::Exists)) throw;
  }
}

// The target, every folder a file needs and every (empty) folder entry, parents first. A folder
// that cannot be made is named once; what lies below it is left out without a word of its own.
void CreateFolders(RestoreContext& run, RestorePlan& plan) {
  try {
    CreateFolderChain(run.fs, plan.target);
  } catch (const FileError& error) {
    throw RunError(kExitFatal, Filled(texts::TargetNotCreated, {plan.target, error.what()}));
  }
  std::map<std::string, std::string> needed;
  for (const Planned& file : plan.files)
    for (size_t slash = file.path.find('\\', plan.target.size() + 1); slash != std::string::npos;
         slash = file.path.find('\\', slash + 1))
      needed.emplace(FoldCase(file.path.substr(0, slash)), file.path.substr(0, slash));
  for (const Planned& folder : plan.folders) needed.emplace(FoldCase(folder.path), folder.path);
  std::vector<std::string> failed;  // folded, ending in "\"
  const auto below = [&failed](const std::string& key) {
    return std::any_of(failed.begin(), failed.end(),
                       [&key](const std::string& top) { return key.rfind(top, 0) == 0; });
  };
  for (const auto& [key, path] : needed) {
    if (below(key + "\\")) continue;
    try {
      CreateFolderChain(run.fs, path);
    } catch (const FileError& error) {
      if (error.Is(FileError::DiskFull)) throw;
      run.warnings.Add(run.entries.size(), Filled(texts::EntryNotWritten, {path, error.what()}));
      failed.push_back(key + "\\");
    }
  }
  const auto lost = [&](const Planned& planned) { return below(FoldCase(planned.path) + "\\"); };
  plan.folders.erase(std::remove_if(plan.folders.begin(), plan.folders.end(), lost),
                     plan.folders.end());
  plan.files.erase(std::remove_if(plan.files.begin(), plan.files.end(), lost), plan.files.end());
}

// Existing files are kept unless -o+ is given; a folder is never replaced by a file.
// One listing per folder, not a look-up per file: under Wine each look-up of a missing name
// reads the whole folder. A name this misses still meets the file when it is renamed.
std::vector<Planned> WithoutExisting(RestoreContext& run, const std::vector<Planned>& files) {
  std::map<std::string, std::map<std::string, FileInfo>> listed;  // by folder, by folded name
  const auto existing = [&](const std::string& path) -> std::optional<FileInfo> {
    const size_t slash = path.find_last_of('\\');
    const std::string folder = path.substr(0, slash);
    auto at = listed.find(folder);
    if (at == listed.end()) {
      at = listed.emplace(folder, std::map<std::string, FileInfo>()).first;
      std::vector<std::string> removed;
      try {
        for (const FolderEntry& entry : RemoveLeftovers(run.fs, folder, removed))
          at->second.emplace(FoldCase(entry.name), entry.info);
      } catch (const FileError&) {  // not created: its files are named when written
      }
      for (const std::string& leftover : removed)
        run.notes.push_back(Filled(texts::LeftoverRemoved, {leftover}));
    }
    const auto found = at->second.find(FoldCase(path.substr(slash + 1)));
    return found == at->second.end() ? std::nullopt : std::optional<FileInfo>(found->second);
  };
  std::vector<Planned> kept;
  for (const Planned& file : files) {
    const auto info = existing(file.path);
    if (info && info->IsFolder())
      run.warnings.Add(file.entry,
                       Filled(texts::EntryNotWritten, {file.path, texts::FolderInTheWay}));
    else if (info && run.options.overwrite == Overwrite::Warn)
      run.warnings.Add(file.entry, Filled(texts::EntryExists, {file.path}));
    else if (!info || run.options.overwrite == Overwrite::Replace)
      kept.push_back(file);
  }
  return kept;
}

}  // namespace

void ReadArchive(RestoreContext& run) {
  try {
    const auto info = run.fs.Stat(run.archive);
    if (!info || info->IsFolder()) throw FileError(texts::NotFound, FileError::NotFound);
    run.entries = ReadDirectory(*run.fs.OpenRead(run.archive), info->size);
  } catch (const FileError& error) {
    throw RunError(kExitFatal, Filled(texts::ArchiveUnreadable, {run.archive, error.what()}));
  } catch (const zip::Error& error) {
    throw RunError(kExitFatal, Filled(texts::ArchiveUnreadable, {run.archive, ReasonText(error)}));
  }
}

namespace {

bool Selected(const RestoreContext& run, const std::string& name, bool folder) {
  const std::vector<std::string>& masks = run.options.masks;
  const auto selects = [&](const std::string& mask) {
    return SelectsStoredPath(name, folder, mask, run.options.recurse);
  };
  return masks.empty() ? selects("*") : std::any_of(masks.begin(), masks.end(), selects);
}

}  // namespace

std::vector<size_t> SelectedEntries(const RestoreContext& run) {
  std::vector<size_t> selected;
  for (size_t i = 0; i < run.entries.size(); ++i)
    if (Selected(run, run.entries[i].record.name, run.entries[i].IsFolder())) selected.push_back(i);
  return selected;
}

bool SelectedByMasks(const RestoreContext& run, const std::string& storedName) {
  return Selected(run, storedName, false);
}

std::vector<Planned> Readable(RestoreContext& run, const std::vector<size_t>& selected) {
  std::vector<Planned> files;
  for (const size_t i : selected) {
    const ArchiveEntry& e = run.entries[i];
    if (e.IsFolder()) continue;
    if (!e.Readable())
      run.warnings.Add(i, Filled(texts::UnknownMethod, {MethodName(e), e.record.name}));
    else
      files.push_back({i, ""});
  }
  return files;
}

RestorePlan PlanExtraction(RestoreContext& run, const std::vector<size_t>& selected) {
  RestorePlan plan;
  plan.target = TargetOf(run);
  const bool withPath = run.options.command == RestoreCommand::Extract;
  std::map<std::string, std::string> seen;  // folded path, the first one's path
  const std::set<size_t> sharing = SharingData(run);
  for (const size_t i : selected) {
    const ArchiveEntry& e = run.entries[i];
    const SafeName safe = CheckStoredName(e.record.name);
    const auto refuse = [&](const std::string& text) { run.warnings.Add(i, text); };
    if (safe.refused) {
      refuse(Filled(texts::RefusedName, {NameFlawText(*safe.refused), e.record.name}));
      continue;
    }
    if (safe.path.empty() || IsStateList(e)) continue;  // "./": the target itself
    const std::string relative =
        withPath ? safe.path : safe.path.substr(safe.path.find_last_of('\\') + 1);
    if (e.IsFolder()) {
      if (withPath) plan.folders.push_back({i, Join(plan.target, relative)});
      continue;
    }
    if (withPath) {
      const auto [first, isNew] = seen.emplace(FoldCase(relative), relative);
      if (!isNew) {
        const char* reason = first->second == relative ? texts::NameRepeated : texts::NameDuplicate;
        refuse(Filled(texts::RefusedName, {reason, e.record.name}));
        continue;
      }
    }
    if (!e.Readable()) {
      refuse(Filled(texts::UnknownMethod, {MethodName(e), e.record.name}));
      continue;
    }
    if (sharing.count(i)) {
      refuse(Filled(texts::EntryDamaged, {e.record.name, texts::SharedData}));
      continue;
    }
    plan.files.push_back({i, Join(plan.target, relative)});
  }
  if (!withPath) plan.files = WithoutSameNames(run, plan.files);
  return plan;
}

void PrepareFolders(RestoreContext& run, RestorePlan& plan) {
  CreateFolders(run, plan);
  plan.files = WithoutExisting(run, plan.files);
}

std::string CreateDroppedTarget(FileSystem& fs, const std::string& archive) {
  const std::string full = fs.FullPath(archive);
  const std::string base = full.substr(0, full.size() - 4);  // without ".zip"
  for (int number = 1; number < 10000; ++number) {
    const std::string folder = number == 1 ? base : base + " (" + std::to_string(number) + ")";
    try {
      fs.CreateFolder(folder);
      return folder + "\\";
    } catch (const FileError& error) {
      if (!error.Is(FileError::Exists))
        throw RunError(kExitFatal, Filled(texts::TargetNotCreated, {folder, error.what()}));
    }
  }
  throw RunError(kExitFatal, Filled(texts::TargetNotCreated, {base, texts::AllNamesTaken}));
}

}  // namespace dszip
