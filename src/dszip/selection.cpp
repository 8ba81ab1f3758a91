#include "dszip/selection.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "core/ascii_case.h"
#include "core/filled.h"
#include "dszip/texts.h"
#include "engine/mask.h"
#include "engine/temporary_file.h"

namespace dszip {
namespace {

std::string Parent(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);  // "C:" keeps its ""
}

std::string LastPart(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Without closing backslashes (a drive root keeps its own): how folders compare as text.
std::string Trimmed(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool MaskTakesAll(const std::string& mask) { return mask == "*" || mask == "*.*"; }

class Selector {
 public:
  Selector(FileSystem& fs, const Options& options, const std::string& archive,
           const std::vector<ProtectedFolder>& protectedFolders)
      : fs_(fs), options_(options), archive_(AsciiLower(archive)) {
    for (const ProtectedFolder& folder : protectedFolders)
      protected_.push_back({folder, fs_.FolderIdentity(folder.path)});
  }

  Selection Run() {
    for (const std::string& source : options_.sources) AddSource(source);
    return std::move(selection_);
  }

 private:
  void AddSource(const std::string& given) {
    std::string path = fs_.FullPath(given);
    if (HasWildcard(LastPart(path))) {
      const std::string mask = LastPart(path);
      const auto folder = fs_.Stat(Parent(path));
      if (!folder || !folder->IsFolder()) {
        Missing(given);
        return;
      }
      Refuse(given, Parent(path));
      Walk(Parent(path), "", FileInfo{}, mask);
      return;
    }
    while (path.size() > 3 && path.back() == '\\') path.pop_back();  // "C:\" stays the root
    const auto info = fs_.Stat(path);
    if (!info) {
      Missing(given);
    } else if (info->IsFolder()) {
      // A folder goes in under its own name, as the dialect does; a drive root has none. A
      // linked folder named as a source is followed: the user chose it.
      Refuse(given, path);
      const std::string name = path.back() == '\\' ? "" : LastPart(path) + "/";
      Walk(path, name, *info, "*");
    } else {
      AddFile(path, LastPart(path), *info);
    }
  }

  void Missing(const std::string& given) {
    selection_.missing.push_back(given);
    selection_.unknownParts = true;
    selection_.warnings.push_back(Filled(texts::SourceMissing, {given}));
  }

  void Refuse(const std::string& given, const std::string& folder) {
    if (const Guard* guard = ProtectedAs(folder, fs_.FolderIdentity(folder)))
      throw RunError(kExitUsage, Filled(texts::SourceProtected, {given, guard->folder.reason}));
  }

  // A protected folder however it is spelled; as text only where an identity is missing.
  struct Guard {
    ProtectedFolder folder;
    FileId id;
    bool noted = false;
  };
  Guard* ProtectedAs(const std::string& folder, const FileId& id) {
    for (Guard& guard : protected_)
      if (id.Known() && guard.id.Known()
              ? id == guard.id
              : fs_.SamePathText(Trimmed(folder), Trimmed(guard.folder.path)))
        return &guard;
    return nullptr;
  }

  // Inside a source: a protected folder is left out, said once; a folder already taken under
  // another name (two sources naming one folder, a linked source) is taken once.
  bool LeftOut(const std::string& folder, const std::string& mask) {
    const FileId id = fs_.FolderIdentity(folder);
    if (Guard* guard = ProtectedAs(folder, id)) {
      if (!std::exchange(guard->noted, true))
        selection_.notes.push_back(Filled(texts::FolderLeftOut, {folder, guard->folder.reason}));
      return true;
    }
    if (!id.Known()) return false;
    const auto [at, added] =
        walked_.try_emplace({id, MaskTakesAll(mask) ? "*" : AsciiLower(mask)}, folder);
    if (!added) selection_.notes.push_back(Filled(texts::FolderTakenOnce, {folder, at->second}));
    return !added;
  }

  // Folders iteratively, depth first and sorted, so that the order is the same every run.
  void Walk(const std::string& root, const std::string& rootName, const FileInfo& rootInfo,
            const std::string& mask) {
    const bool keepEmptyFolders = MaskTakesAll(mask);
    struct Pending {
      std::string path, name;
      FileInfo info;
    };
    std::vector<Pending> stack{{root, rootName, rootInfo}};
    while (!stack.empty()) {
      const Pending folder = std::move(stack.back());
      stack.pop_back();
      if (LeftOut(folder.path, mask)) continue;
      std::vector<FolderEntry> entries;
      try {
        entries = fs_.List(folder.path);
      } catch (const FileError& error) {
        selection_.warnings.push_back(Filled(texts::FolderUnreadable, {folder.path, error.what()}));
        selection_.unknownParts = true;
        continue;
      }
      std::sort(entries.begin(), entries.end(),
                [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
      // An empty folder has no archive attribute to go by: -ao stores it every time, and its
      // state list names it, so that a night restored whole has it.
      if (entries.empty() && keepEmptyFolders && !folder.name.empty()) {
        if (options_.onlyArchived)
          selection_.found.push_back({folder.path, folder.name, folder.info});
        Add({folder.path, folder.name, folder.info});  // NOLINT(bugprone-unused-return-value)
      }
      std::vector<Pending> subfolders;
      for (const FolderEntry& entry : entries) {
        const std::string path = Join(folder.path, entry.name);
        if (!entry.info.IsFolder()) {
          if (MatchesMask(entry.name, mask)) AddFile(path, folder.name + entry.name, entry.info);
        } else if (options_.recurse) {
          // A link is never followed, so no loop and no doubles; a profile holds such
          // junctions by design, so it is a note, not a warning.
          if (entry.info.IsLinkedFolder())
            selection_.notes.push_back(Filled(texts::LinkNotFollowed, {path}));
          else
            subfolders.push_back({path, folder.name + entry.name + "/", entry.info});
        }
      }
      std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(stack));
    }
  }

  void AddFile(const std::string& path, const std::string& name, const FileInfo& info) {
    const std::string lower = AsciiLower(path);
    if (lower == archive_ ||
        (lower.rfind(archive_ + ".", 0) == 0 && EndsWith(lower, kTemporarySuffix)))
      return;
    if (options_.onlyArchived) selection_.found.push_back({path, name, info});
    if (options_.onlyArchived && (info.attributes & kAttrArchive) == 0) return;
    if (!Add({path, name, info})) return;
    selection_.files++;
    selection_.bytes += info.size;
  }

  bool Add(Item item) {
    // Names differing only in case would overwrite each other when extracted on Windows.
    if (!storedNames_.insert(AsciiLower(item.storedName)).second) {
      selection_.warnings.push_back(Filled(texts::DuplicateName, {item.path}));
      return false;
    }
    selection_.items.push_back(std::move(item));
    return true;
  }

  FileSystem& fs_;
  const Options& options_;
  std::string archive_;
  Selection selection_;
  std::set<std::string> storedNames_;
  std::vector<Guard> protected_;
  // Folders walked, by identity and the mask they were walked with: the first path.
  std::map<std::pair<FileId, std::string>, std::string> walked_;
};

}  // namespace

Selection SelectSources(FileSystem& fs, const Options& options, const std::string& archive,
                        const std::vector<ProtectedFolder>& protectedFolders) {
  return Selector(fs, options, archive, protectedFolders).Run();
}

}  // namespace dszip
