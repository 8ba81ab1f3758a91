#include "engine/target_folder.h"

#include <optional>

#include "core/ascii_case.h"
#include "core/filled.h"
#include "engine/outcome.h"
#include "engine/temporary_file.h"
#include "engine/texts.h"

namespace dszip {
namespace {

// The root without its last "\": "E:" or "\\server\share", as a user names it.
std::string RootName(const std::string& root) { return root.substr(0, root.size() - 1); }

// "<archive>.<process id>-<random>.dszip-tmp": the process id; nothing for other names.
std::optional<unsigned long> WriterOf(const std::string& name) {
  const std::string lower = AsciiLower(name);
  const std::string ending = kTemporarySuffix;
  if (lower.size() <= ending.size() || lower.substr(lower.size() - ending.size()) != ending)
    return std::nullopt;
  const size_t suffix = lower.size() - ending.size();
  const size_t dot = lower.rfind('.', suffix == 0 ? 0 : suffix - 1);
  const size_t dash = lower.find('-', dot == std::string::npos ? 0 : dot);
  if (dot == std::string::npos || dash == std::string::npos || dash >= suffix || dash == dot + 1 ||
      dash - dot > 11)
    return std::nullopt;
  unsigned long id = 0;
  for (size_t i = dot + 1; i < dash; ++i) {
    if (lower[i] < '0' || lower[i] > '9') return std::nullopt;
    id = id * 10 + static_cast<unsigned long>(lower[i] - '0');
  }
  return id;
}

}  // namespace

std::string RootOf(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return path.substr(0, 3);
  if (path.rfind("\\\\", 0) != 0) return {};
  const size_t server = path.find('\\', 2);
  if (server == std::string::npos || server == 2) return {};
  const size_t share = path.find('\\', server + 1);
  if (share == server + 1) return {};
  return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
}

void CheckReachable(FileSystem& fs, const std::string& folder) {
  const std::string root = RootOf(folder);
  if (root.empty() || fs.Stat(root)) return;
  throw RunError(kExitArchiveExists, Filled(texts::TargetUnreachable, {RootName(root)}));
}

namespace {

// Without its last "\", except for a drive's or share's root.
std::string Trimmed(const std::string& folder) {
  if (folder.size() <= 1 || folder.back() != '\\' || folder == RootOf(folder)) return folder;
  return folder.substr(0, folder.size() - 1);
}

}  // namespace

bool FolderExists(FileSystem& fs, const std::string& folder) {
  const auto info = fs.Stat(Trimmed(folder));
  return info && info->IsFolder();
}

std::string MakeFolder(FileSystem& fs, const std::string& folder) {
  const std::string path = Trimmed(folder);
  if (const auto info = fs.Stat(path)) {
    if (info->IsFolder()) return {};
    throw RunError(kExitArchiveExists,
                   Filled(texts::TargetFolderNotCreated, {path, texts::FileInTheWay}));
  }
  const size_t slash = path.find_last_of('\\');
  const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string outermost =
      parent.empty() || parent == RootOf(path) ? std::string() : MakeFolder(fs, parent);
  try {
    fs.CreateFolder(path);
  } catch (const FileError& error) {
    if (!error.Is(FileError::Exists))  // another run made it meanwhile
      throw RunError(kExitArchiveExists,
                     Filled(texts::TargetFolderNotCreated, {path, error.what()}));
  }
  return outermost.empty() ? path : outermost;
}

std::string TemporaryTag(unsigned long processId, const std::string& random) {
  return std::to_string(processId) + "-" + random;
}

std::vector<FolderEntry> RemoveLeftovers(FileSystem& fs, const std::string& folder,
                                         std::vector<std::string>& removed) {
  std::vector<FolderEntry> left;
  const unsigned long self = fs.ProcessId();
  for (FolderEntry& entry : fs.List(folder)) {
    const auto writer = WriterOf(entry.name);
    if (!entry.info.IsFolder() && writer && *writer != self && fs.ProcessEnded(*writer)) {
      const std::string path = (folder.back() == '\\' ? folder : folder + "\\") + entry.name;
      try {
        fs.Delete(path);
        removed.push_back(path);
        continue;
      } catch (const FileError&) {
      }
    }
    left.push_back(std::move(entry));
  }
  return left;
}

namespace {

// "E:\A\20240305-0.zip": "E:\A\20240305-", 0 and ".zip"; without a running number the
// stem gets the dash and the number is nothing.
struct NumberedName {
  std::string stem, extension;
  std::optional<unsigned> number;
};

NumberedName SplitNumber(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  const size_t dot = path.rfind('.');
  const size_t end =
      dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
  size_t digits = end;
  while (digits > 0 && end - digits < 4 && path[digits - 1] >= '0' && path[digits - 1] <= '9')
    --digits;
  NumberedName name{path.substr(0, end) + "-", path.substr(end), std::nullopt};
  if (digits < end && digits > 0 && path[digits - 1] == '-') {
    name.stem = path.substr(0, digits);
    name.number = static_cast<unsigned>(std::stoul(path.substr(digits, end - digits)));
  }
  return name;
}

}  // namespace

std::string MoveToFreeName(FileSystem& fs, const std::string& from, const std::string& archive) {
  constexpr unsigned kLastNumber = 999;
  const NumberedName name = SplitNumber(archive);
  std::string to = archive;
  for (unsigned number = name.number ? *name.number + 1 : 1;; ++number) {
    try {
      fs.MoveNoReplace(from, to);
      return to;
    } catch (const FileError& error) {
      if (!error.Is(FileError::Exists) || number > kLastNumber) throw;
    }
    to = name.stem + std::to_string(number) + name.extension;
  }
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace dszip
