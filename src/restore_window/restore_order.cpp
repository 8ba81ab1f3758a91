#include "restore_window/restore_order.h"

#include <algorithm>
#include <map>

#include "core/filled.h"
#include "engine/mask.h"
#include "engine/outcome.h"
#include "engine/password.h"
#include "engine/restore.h"
#include "engine/text.h"
#include "restore_window/texts.h"
#include "zip/stored_name.h"

namespace restore_window {
namespace {

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string LastPart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A picked node with all it holds: a mask per folder (each taking the files directly in it,
// as -r- reads masks) and one per file, so that nothing beside them comes along.
void AddNode(const TreeNode& node, RestoreRun& run) {
  run.masks.push_back(Backslashed(node.path));
  if (!node.folder) run.files.push_back(node.path);
  for (const TreeNode& child : node.children)
    if (child.folder)
      AddNode(child, run);
    else
      run.files.push_back(child.path);
}

// The nodes that stand for the pick: picked ones, not those below a picked folder.
void CollectPicked(const std::vector<TreeNode>& nodes, const std::vector<std::string>& picked,
                   std::vector<const TreeNode*>& out) {
  for (const TreeNode& node : nodes) {
    const std::string key = zip::FoldCase(node.path);
    if (std::any_of(picked.begin(), picked.end(),
                    [&key](const std::string& p) { return zip::FoldCase(p) == key; }))
      out.push_back(&node);
    else
      CollectPicked(node.children, picked, out);
  }
}

void AllFiles(const std::vector<TreeNode>& nodes, std::vector<std::string>& files) {
  for (const TreeNode& node : nodes) {
    if (!node.folder) files.push_back(node.path);
    AllFiles(node.children, files);
  }
}

}  // namespace

std::optional<std::string> OriginalFolder(const std::vector<std::string>& sources,
                                          const std::string& storedPath) {
  const std::string folded = zip::FoldCase(storedPath);
  // Sources that name a file or a folder are more exact than masks: they are asked first.
  for (const bool masks : {false, true})
    for (const std::string& source : sources) {
      const std::string last = LastPart(source);
      const std::string parent = WithSlash(source.substr(0, source.size() - last.size()));
      if (dszip::HasWildcard(last) != masks) continue;
      if (masks && dszip::MatchesMask(LastPart(storedPath), last)) return parent;
      if (masks) continue;
      if (last.empty()) return WithSlash(source);  // a drive's root: its folders go in whole
      const std::string name = zip::FoldCase(last);
      if (folded == name || folded.rfind(name + "/", 0) == 0) return parent;
    }
  return std::nullopt;
}

RestoreOrder PlanRestore(const std::string& archive, const std::vector<TreeNode>& roots,
                         const std::vector<std::string>& picked, const Destination& destination,
                         const std::vector<std::string>& sources) {
  RestoreOrder order{archive, destination.replace, {}, {}};
  std::vector<const TreeNode*> units;
  if (picked.empty()) {
    for (const TreeNode& root : roots) units.push_back(&root);
  } else {
    CollectPicked(roots, picked, units);
  }
  std::map<std::string, size_t> runOf;  // by folded target
  for (const TreeNode* unit : units) {
    const std::optional<std::string> target =
        destination.original ? OriginalFolder(sources, unit->path) : WithSlash(destination.folder);
    if (!target) {
      order.withoutOrigin.push_back(unit->path);
      continue;
    }
    const auto [at, added] = runOf.try_emplace(zip::FoldCase(*target), order.runs.size());
    if (added) order.runs.push_back({*target, {}, {}});
    AddNode(*unit, order.runs[at->second]);
  }
  // The whole night into one folder needs no masks, however many folders it has.
  if (picked.empty() && order.runs.size() == 1 && order.withoutOrigin.empty()) {
    order.runs[0].masks.clear();
    order.runs[0].files.clear();
    AllFiles(roots, order.runs[0].files);
  }
  return order;
}

uint64_t CountExisting(dszip::FileSystem& fs, const RestoreOrder& order) {
  uint64_t existing = 0;
  for (const RestoreRun& run : order.runs)
    for (const std::string& file : run.files) {
      const auto info = fs.Stat(run.target + Backslashed(file));
      if (info && !info->IsFolder()) ++existing;
    }
  return existing;
}

namespace {

// Passes everything on, and keeps the password the user typed for the runs after.
class RememberingConsole : public dszip::Console {
 public:
  explicit RememberingConsole(dszip::Console& console) : console_(console) {}
  void Progress(const std::string& line) override { console_.Progress(line); }
  void Line(const std::string& text) override { console_.Line(text); }
  void Counted(const dszip::ProgressCounts& counts) override { console_.Counted(counts); }
  std::optional<std::string> AskPassword(const std::string& prompt) override {
    typed = console_.AskPassword(prompt);
    return typed;
  }
  std::optional<std::string> typed;

 private:
  dszip::Console& console_;
};

// The password as the engine takes it: Windows-1252 bytes. One that cannot be those is asked
// for again by the restore, which says why.
std::optional<std::string> KeyBytes(const std::optional<std::string>& typed) {
  return typed ? dszip::Cp1252Password(*typed) : std::nullopt;
}

}  // namespace

int RunOrder(const RestoreOrder& order, dszip::FileSystem& fs, zip::Crypto& crypto,
             dszip::Console& console, runlog::Sink& sink, const std::atomic<bool>& cancelled,
             const std::optional<std::string>& password) {
  RememberingConsole remembering(console);
  remembering.typed = password;
  int worst = dszip::kExitOk;
  for (const std::string& path : order.withoutOrigin)
    console.Line(Filled(texts::NoOriginalPlace, {path}));
  if (!order.withoutOrigin.empty()) worst = dszip::kExitWarning;
  for (const RestoreRun& run : order.runs) {
    const dszip::RestoreOptions options = dszip::NightRestore(
        order.archive, run.target, run.masks, order.replace, KeyBytes(remembering.typed));
    const int exitCode = dszip::RunRestore(options, fs, crypto, remembering, cancelled, sink);
    worst = std::max(worst, exitCode);
    if (exitCode == dszip::kExitInterrupted || exitCode == dszip::kExitBadPassword || cancelled)
      break;
  }
  return worst;
}

int RunFolderCheck(const std::string& folder, dszip::FileSystem& fs, zip::Crypto& crypto,
                   dszip::Console& console, runlog::Sink& sink, const std::atomic<bool>& cancelled,
                   const std::optional<std::string>& password) {
  return dszip::RunRestore(dszip::FolderTest(folder, KeyBytes(password)), fs, crypto, console,
                           cancelled, sink);
}

std::string ProgressLine(const dszip::ProgressCounts& counts) {
  return Filled(counts.totalFiles == 1 ? texts::ProgressOneFile : texts::ProgressFiles,
                {dszip::GroupedNumber(counts.files), dszip::GroupedNumber(counts.totalFiles),
                 dszip::SizeNumber(counts.bytes, counts.totalBytes),
                 dszip::SizeNumber(counts.totalBytes, counts.totalBytes),
                 dszip::SizeUnit(counts.totalBytes)});
}

unsigned ProgressSteps(const dszip::ProgressCounts& counts) {
  const bool byBytes = counts.totalBytes > 0;
  const uint64_t done = byBytes ? counts.bytes : counts.files;
  const uint64_t total = byBytes ? counts.totalBytes : counts.totalFiles;
  if (total == 0) return kProgressSteps;
  return static_cast<unsigned>(std::min<uint64_t>(done, total) * kProgressSteps / total);
}

}  // namespace restore_window
