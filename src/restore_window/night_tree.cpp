#include "restore_window/night_tree.h"

#include <algorithm>
#include <map>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/chain_restore_step.h"
#include "engine/password.h"
#include "engine/restore_context.h"
#include "engine/target_folder.h"
#include "engine/text.h"
#include "restore_window/texts.h"
#include "zip/errors.h"
#include "zip/stored_name.h"
#include "zip/zip_reader.h"

namespace restore_window {
namespace {

using dszip::ArchiveEntry;

// The tree built from flat paths: each node's children by their folded path.
class TreeBuilder {
 public:
  void Add(const ArchiveEntry& entry, const std::string& archive, uint64_t modified) {
    std::string path = entry.record.name;
    const bool folder = entry.IsFolder();
    while (!path.empty() && path.back() == '/') path.pop_back();
    if (path.empty()) return;
    Node& node = Ensure(path);
    node.node.folder = folder;
    node.node.archive = archive;
    node.node.modified = modified;
    node.node.size = folder ? 0 : entry.record.size;
  }

  std::vector<TreeNode> Roots() const { return Assemble(roots_); }

 private:
  struct Node {
    TreeNode node;
    std::vector<std::string> children;  // keys
  };

  // The node of a path, its parent folders made as needed.
  Node& Ensure(const std::string& path) {
    const std::string key = zip::FoldCase(path);
    if (const auto found = nodes_.find(key); found != nodes_.end()) return found->second;
    const size_t slash = path.rfind('/');
    std::vector<std::string>& siblings =
        slash == std::string::npos ? roots_ : Folder(path.substr(0, slash)).children;
    siblings.push_back(key);
    Node& node = nodes_[key];
    node.node.path = path;
    node.node.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return node;
  }
  Node& Folder(const std::string& path) {
    Node& folder = Ensure(path);
    folder.node.folder = true;
    return folder;
  }

  std::vector<TreeNode> Assemble(const std::vector<std::string>& keys) const {
    std::vector<TreeNode> out;
    for (const std::string& key : keys) {
      const Node& node = nodes_.at(key);
      out.push_back(node.node);
      out.back().children = Assemble(node.children);
    }
    std::sort(out.begin(), out.end(), [](const TreeNode& a, const TreeNode& b) {
      return a.folder != b.folder ? a.folder : zip::FoldCase(a.name) < zip::FoldCase(b.name);
    });
    return out;
  }

  std::map<std::string, Node> nodes_;
  std::vector<std::string> roots_;
};

// Whether the password opens the encrypted entry, as the restore checks it.
bool PasswordOpens(dszip::FileSystem& fs, zip::Crypto& crypto, const std::string& archive,
                   const ArchiveEntry& entry, const std::string& password) {
  const auto file = fs.OpenRead(archive);
  zip::SequentialReader in(*file, entry.record.offset);
  zip::SkipLocalHeader(in);
  const zip::Bytes header = in.Read(zip::PasswordHeaderSize(entry));
  return header.size() == zip::PasswordHeaderSize(entry) &&
         zip::PasswordFits(crypto, password, entry, header);
}

// The state list of the named (last) archive of a chain, when it is encrypted.
const ArchiveEntry* EncryptedStateList(const dszip::ChainRestoreStep& chain) {
  const std::vector<ArchiveEntry>& entries = chain.Entries();
  for (size_t i = entries.size(); i-- > 0 && chain.PartOf(i) + 1 == chain.Archives();)
    if (dszip::IsStateList(entries[i]) && entries[i].encryption != zip::Encryption::None)
      return &entries[i];
  return nullptr;
}

}  // namespace

NightTree ReadNight(dszip::FileSystem& fs, zip::Crypto& crypto, const std::string& archive,
                    const std::optional<std::string>& typed) {
  // The key comes from the password's Windows-1252 bytes, as the restore takes it.
  const std::optional<std::string> password = typed ? dszip::Cp1252Password(*typed) : typed;
  std::vector<ArchiveEntry> entries;
  {
    const auto file = fs.OpenRead(archive);
    entries = zip::ReadDirectory(*file, file->Info().size);
  }
  dszip::ChainRestoreStep chain;
  NightTree night;
  std::vector<size_t> taken;
  if (chain.Open(fs, archive, entries)) {
    if (const ArchiveEntry* list = EncryptedStateList(chain)) {
      if (!typed) return {.access = NightAccess::PasswordNeeded, .roots = {}};
      if (!password || !PasswordOpens(fs, crypto, archive, *list, *password))
        return {.access = NightAccess::PasswordWrong, .roots = {}};
    }
    entries = chain.Entries();
    std::vector<size_t> all(entries.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::vector<std::string> missing;  // the restore names them; the tree cannot show them
    taken = chain.Take(fs, crypto, password, all, missing);
  } else {
    for (size_t i = 0; i < entries.size(); ++i)
      if (!dszip::IsStateList(entries[i])) taken.push_back(i);
  }
  const std::string name = archive.substr(dszip::FolderOf(archive).size());
  TreeBuilder tree;
  for (const size_t i : taken) {
    const ArchiveEntry& entry = entries[i];
    tree.Add(entry, chain.Archives() > 0 ? chain.NameOf(i) : name, dszip::ModifiedTicks(fs, entry));
    if (!entry.IsFolder()) {
      ++night.files;
      night.bytes += entry.record.size;
    }
  }
  night.roots = tree.Roots();
  return night;
}

std::string NodeText(dszip::FileSystem& fs, const TreeNode& node) {
  if (node.folder) return node.name;
  const zip::CivilTime t = fs.ToLocalTime(node.modified);
  const std::string when =
      Filled(texts::NightWhen, {TwoDigits(t.day), TwoDigits(t.month), std::to_string(t.year),
                                TwoDigits(t.hour), TwoDigits(t.minute)});
  return Filled(texts::TreeFile, {node.name, dszip::ByteSize(node.size), when, node.archive});
}

std::vector<TreeNode> Filtered(const std::vector<TreeNode>& roots, const std::string& text) {
  if (text.empty()) return roots;
  const std::string wanted = zip::FoldCase(text);
  std::vector<TreeNode> kept;
  for (const TreeNode& node : roots) {
    if (zip::FoldCase(node.name).find(wanted) != std::string::npos) {
      kept.push_back(node);
      continue;
    }
    std::vector<TreeNode> children = Filtered(node.children, text);
    if (children.empty()) continue;
    kept.push_back(node);
    kept.back().children = std::move(children);
  }
  return kept;
}

}  // namespace restore_window
