#include "dszip/chain_restore_step.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "core/filled.h"
#include "dszip/outcome.h"
#include "dszip/sets/chain_restore.h"
#include "dszip/sets/set_texts.h"
#include "dszip/sets/state_list.h"
#include "dszip/target_folder.h"
#include "zip/errors.h"
#include "zip/stored_name.h"

namespace dszip {
namespace {

// A state list beyond this is no list dszip wrote; it is not read into memory.
constexpr uint64_t kStateListLimit = uint64_t{256} << 20;

[[noreturn]] void LinkMissing(const std::string& name) { throw ChainLinkError(name); }

// A link is a file name in the named archive's folder, nothing that leads out of it.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

ChainLinkError::ChainLinkError(const std::string& link)
    : RunError(kExitFatal, Filled(sets::texts::ChainLinkMissing, {link})), link_(link) {}

std::optional<sets::ArchiveRecord> ReadArchiveRecord(FileSystem& fs, const std::string& path,
                                                     uint64_t size) {
  try {
    return sets::ParseRecord(ReadArchiveComment(*fs.OpenRead(path), size));
  } catch (const FileError&) {
    return std::nullopt;
  } catch (const zip::Error&) {
    return std::nullopt;
  }
}

bool ChainRestoreStep::Open(FileSystem& fs, const std::string& named,
                            const std::vector<ArchiveEntry>& entries) {
  const auto info = fs.Stat(named);
  const auto record = info ? ReadArchiveRecord(fs, named, info->size) : std::nullopt;
  if (!record || record->kind != sets::ArchiveKind::Incremental) return false;
  const std::string folder = FolderOf(named);
  const std::string set = sets::SourcesKey(*record);
  std::vector<std::pair<Part, std::vector<ArchiveEntry>>> chain{
      {Part{named, named.substr(folder.size()), *record}, entries}};
  std::set<std::string> seen{FoldCase(chain.back().first.name)};
  while (chain.back().first.record.kind == sets::ArchiveKind::Incremental) {
    const std::string link = chain.back().first.record.follows;
    if (!PlainFileName(link) || !seen.insert(FoldCase(link)).second) LinkMissing(link);
    Part part{folder + link, link, {}};
    std::vector<ArchiveEntry> directory;
    try {
      const auto linked = fs.Stat(part.path);
      if (!linked || linked->IsFolder()) LinkMissing(link);
      directory = ReadDirectory(*fs.OpenRead(part.path), linked->size);
      const auto linkedRecord = ReadArchiveRecord(fs, part.path, linked->size);
      if (!linkedRecord || sets::SourcesKey(*linkedRecord) != set) LinkMissing(link);
      part.record = *linkedRecord;
    } catch (const FileError&) {
      LinkMissing(link);
    } catch (const zip::Error&) {
      LinkMissing(link);
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
                                           const std::vector<size_t>& selected) const {
  std::vector<sets::ChainArchive> set;
  for (const Part& part : parts_) {
    sets::ChainArchive archive{part.name, part.record.kind, part.record.follows, {}, {}};
    for (size_t i = part.first; i < part.end; ++i)
      archive.storedNames.push_back(entries_[i].record.name);
    set.push_back(std::move(archive));
  }
  set.back().stateNames = StateNames(fs, crypto, password);
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
