#include "engine/chain_restore_step.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "core/filled.h"
#include "engine/outcome.h"
#include "engine/sets/chain_restore.h"
#include "engine/sets/set_folder.h"
#include "engine/sets/set_texts.h"
#include "engine/sets/state_list.h"
#include "engine/target_folder.h"
#include "zip/errors.h"
#include "zip/stored_name.h"

namespace dszip {
namespace {

// A state list beyond this is no list dszip wrote; it is not read into memory.
constexpr uint64_t kStateListLimit = uint64_t{256} << 20;

[[noreturn]] void LinkMissing(const std::string& name) { throw ChainLinkError(name); }

}  // namespace

namespace {

// The named archive's chain in its folder, newest first, as the sets engine links it: by
// identity and directory, by name for records of format 1. A gap raises RunError.
std::vector<sets::SetMember> ChainInFolder(FileSystem& fs, const std::string& folder,
                                           const std::string& name) {
  std::vector<sets::ListedArchive> listed;
  try {
    listed = sets::ListSetFolder(fs, folder, false);
  } catch (const FileError&) {
    LinkMissing(name);
  }
  const sets::FolderSets sets =
      sets::ReadFolderSets(sets::ArchivesOf(listed), UnixSeconds(fs.Now()));
  const auto [set, named] = sets::Holding(sets, name);
  if (!set) LinkMissing(name);
  if (!named->whole) LinkMissing(sets::GapOf(*set, *named));
  std::vector<sets::SetMember> chain{*named};
  while (chain.back().link == sets::LinkState::Linked)
    chain.push_back(set->archives[chain.back().previous]);
  return chain;
}

}  // namespace

ChainLinkError::ChainLinkError(const std::string& link)
    : RunError(kExitFatal, Filled(sets::texts::ChainLinkMissing, {link})), link_(link) {}

bool ChainRestoreStep::Open(FileSystem& fs, const std::string& named,
                            const std::vector<ArchiveEntry>& entries) {
  const auto info = fs.Stat(named);
  const auto record = info ? sets::ReadArchiveRecord(fs, named, info->size) : std::nullopt;
  if (!record || record->kind != sets::ArchiveKind::Incremental) return false;
  const std::string folder = FolderOf(named);
  const std::vector<sets::SetMember> members =
      ChainInFolder(fs, folder, named.substr(folder.size()));
  std::vector<std::pair<Part, std::vector<ArchiveEntry>>> chain{
      {Part{named, members.front().name, *record}, entries}};
  for (size_t i = 1; i < members.size(); ++i) {
    Part part{folder + members[i].name, members[i].name, members[i].record};
    std::vector<ArchiveEntry> directory;
    try {
      const auto linked = fs.Stat(part.path);
      if (!linked || linked->IsFolder()) LinkMissing(part.name);
      directory = ReadDirectory(*fs.OpenRead(part.path), linked->size);
    } catch (const FileError&) {
      LinkMissing(part.name);
    } catch (const zip::Error&) {
      LinkMissing(part.name);
    }
    chain.emplace_back(std::move(part), std::move(directory));
  }
  for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
    at->first.first = entries_.size();
    entries_.insert(entries_.end(), at->second.begin(), at->second.end());
    at->first.end = entries_.size();
    partOf_.resize(entries_.size(), parts_.size());
    parts_.push_back(std::move(at->first));
  }
  return true;
}

std::optional<size_t> ChainRestoreStep::StateListEntry() const {
  const Part& named = parts_.back();
  const std::string wanted = FoldCase(sets::kStateListName);
  for (size_t i = named.first; i < named.end; ++i)
    if (FoldCase(entries_[i].record.name) == wanted) return i;
  return std::nullopt;
}

std::vector<size_t> ChainRestoreStep::WithStateList(const std::vector<size_t>& selected) const {
  std::vector<size_t> samples;
  if (const auto list = StateListEntry()) samples.push_back(*list);
  samples.insert(samples.end(), selected.begin(), selected.end());
  return samples;
}

std::optional<std::vector<std::string>> ChainRestoreStep::StateNames(
    FileSystem& fs, Crypto& crypto, const std::optional<std::string>& password) const {
  const auto list = StateListEntry();
  if (!list || entries_[*list].record.size > kStateListLimit) return std::nullopt;
  const ArchiveEntry& entry = entries_[*list];
  std::string text;
  try {
    const auto file = fs.OpenRead(parts_.back().path);
    SequentialReader in(*file, entry.record.offset);
    SkipLocalHeader(in);
    Inflater inflater;
    ReadEntryData(
        in, inflater, crypto, entry, Secret{.password = password ? &*password : nullptr},
        [&text](const uint8_t* data, size_t size) { text.append(data, data + size); },
        [](uint64_t) {});
  } catch (const FileError&) {
    return std::nullopt;
  } catch (const zip::Error&) {
    return std::nullopt;
  }
  const auto state = sets::ParseStateList(text);
  if (!state) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(state->size());
  for (const sets::StateEntry& file : *state) names.push_back(file.name);
  return names;
}

std::vector<size_t> ChainRestoreStep::Take(FileSystem& fs, Crypto& crypto,
                                           const std::optional<std::string>& password,
                                           const std::vector<size_t>& selected,
                                           std::vector<std::string>& missing) const {
  std::vector<sets::ChainArchive> set;
  for (const Part& part : parts_) {
    // Linked as the folder was read: a renamed archive by its identity, not its old name.
    sets::ChainArchive archive{
        part.name, part.record.kind, set.empty() ? "" : set.back().name, {}, {}};
    for (size_t i = part.first; i < part.end; ++i)
      archive.storedNames.push_back(entries_[i].record.name);
    set.push_back(std::move(archive));
  }
  set.back().stateNames = StateNames(fs, crypto, password);
  missing = sets::MissingFromChain(parts_.back().name, set);
  // Each planned name back to its first entry in the archive it comes from.
  std::map<std::pair<std::string, std::string>, size_t> index;
  for (size_t i = entries_.size(); i-- > 0;)
    index[{FoldCase(NameOf(i)), FoldCase(entries_[i].record.name)}] = i;
  std::set<size_t> taken;
  for (const sets::RestoreSource& source : sets::PlanChainRestore(parts_.back().name, set))
    taken.insert(index.at({FoldCase(source.archive), FoldCase(source.storedName)}));
  std::vector<size_t> kept;
  std::copy_if(selected.begin(), selected.end(), std::back_inserter(kept),
               [&taken](size_t i) { return taken.count(i) != 0; });
  return kept;
}

}  // namespace dszip
