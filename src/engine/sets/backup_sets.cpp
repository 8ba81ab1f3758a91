#include "engine/sets/backup_sets.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/sets/calendar.h"
#include "engine/sets/set_texts.h"
#include "zip/stored_name.h"

namespace dszip::sets {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsZipExtension(std::string_view text) {
  if (text.size() != 4 || text[0] != '.') return false;
  std::string lower;
  for (const char c : text.substr(1)) lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  return lower == "zip";
}

int DigitsAt(std::string_view text, size_t at, size_t width) {
  int value = 0;
  for (const char c : text.substr(at, width)) value = value * 10 + (c - '0');
  return value;
}

SetMember MemberOf(const FolderArchive& file) {
  const LocalTime& made = file.record->made;
  const std::optional<int64_t> day = DayOfName(file.name);
  return {file.name,
          *file.record,
          day ? *day : DayNumber({made.year, made.month, made.day}),
          file.directory,
          kNoArchive,
          LinkState::Start,
          true};
}

bool Older(const SetMember& a, const SetMember& b) {
  const bool firstA = a.record.id.empty(), firstB = b.record.id.empty();
  if (firstA != firstB) return firstA;
  if (!firstA) {
    if (a.record.sequence != b.record.sequence) return a.record.sequence < b.record.sequence;
    return zip::FoldCase(a.name) < zip::FoldCase(b.name);
  }
  if (a.day != b.day) return a.day < b.day;
  const int64_t madeA = UtcSeconds(a.record.made), madeB = UtcSeconds(b.record.made);
  if (madeA != madeB) return madeA < madeB;
  return a.name < b.name;
}

// Each file's set: format 2 records by computer and sources; format 1 records by sources, in
// the set of the one computer that has those sources, else in one of their own.
std::vector<std::string> SetKeys(const std::vector<FolderArchive>& files) {
  std::map<std::string, std::set<std::string>> computers;  // sources key: computers
  for (const FolderArchive& file : files)
    if (file.record && !file.record->id.empty())
      computers[SourcesKey(*file.record)].insert(zip::FoldCase(file.record->computer));
  std::vector<std::string> keys;
  for (const FolderArchive& file : files) {
    if (!file.record) {
      keys.emplace_back();
      continue;
    }
    const std::string sources = SourcesKey(*file.record);
    const auto found = computers.find(sources);
    const bool own = !file.record->id.empty();
    const std::string computer = own ? zip::FoldCase(file.record->computer)
                                 : found != computers.end() && found->second.size() == 1
                                     ? *found->second.begin()
                                     : "\x01";  // no computer's
    keys.push_back(computer + '\0' + sources);
  }
  return keys;
}

// Where each archive of a set is found: by name as Windows compares names, and by identity.
// Archives of one key come in the set's order.
using SetIndex = std::multimap<std::string, size_t>;

SetIndex IndexOf(const BackupSet& set) {
  SetIndex index;
  for (size_t i = 0; i < set.archives.size(); ++i) {
    index.emplace("n" + zip::FoldCase(set.archives[i].name), i);
    if (!set.archives[i].record.id.empty()) index.emplace("i" + set.archives[i].record.id, i);
  }
  return index;
}

// The member a link names: format 2 by identity, the one with the recorded directory first,
// and only an archive numbered before it; format 1 by name.
std::pair<size_t, LinkState> Resolve(const BackupSet& set, const SetIndex& index, size_t at) {
  const ArchiveRecord& record = set.archives[at].record;
  const bool checked = !record.id.empty();  // format 2 records the directory too
  const std::string key =
      record.followsId.empty() ? "n" + zip::FoldCase(record.follows) : "i" + record.followsId;
  size_t found = kNoArchive;
  for (auto [i, end] = index.equal_range(key); i != end; ++i) {
    const size_t other = i->second;
    if (other == at || (checked && other > at)) continue;
    if (!checked || set.archives[other].directory == record.followsDirectory)
      return {other, LinkState::Linked};
    found = other;
  }
  return {found, found == kNoArchive ? LinkState::Missing : LinkState::Swapped};
}

void ResolveLinks(BackupSet& set) {
  std::vector<SetMember>& archives = set.archives;
  const SetIndex index = IndexOf(set);
  for (size_t i = 0; i < archives.size(); ++i) {
    const ArchiveRecord& record = archives[i].record;
    if (record.kind != ArchiveKind::Incremental || record.follows.empty()) continue;
    std::tie(archives[i].previous, archives[i].link) = Resolve(set, index, i);
  }
  // Format 1 links by name may point anywhere, a loop included: each chain walked, bounded.
  for (SetMember& member : archives) {
    const SetMember* at = &member;
    for (size_t steps = 0; at->link == LinkState::Linked && steps <= archives.size(); ++steps)
      at = &archives[at->previous];
    member.whole = at->link == LinkState::Start;
  }
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i)
    text += (i == 0 ? "" : i + 1 == names.size() ? " und " : ", ") + names[i];
  return text;
}

std::string DayText(const LocalTime& made) {
  return TwoDigits(made.day) + "." + TwoDigits(made.month) + "." + std::to_string(made.year);
}

// Two files with one identity (format 1: one record, word for word) are a copy or a forgery.
void FindSameIdentity(const std::vector<FolderArchive>& files, FolderSets& folder) {
  std::map<std::string, std::vector<std::string>> holders;
  for (const FolderArchive& file : files)
    if (file.record)
      holders[file.record->id.empty() ? FormatRecord(*file.record) : file.record->id].push_back(
          file.name);
  for (const auto& [identity, names] : holders)
    if (names.size() > 1)
      folder.doubts.push_back(Filled(texts::DoubtSameId, {Listed(names), identity.substr(0, 8)}));
}

}  // namespace

std::optional<int64_t> DayOfName(std::string_view name) {
  if (name.size() < 14 || name[8] != '-' || !AllDigits(name.substr(0, 8))) return std::nullopt;
  if (!IsZipExtension(name.substr(name.size() - 4))) return std::nullopt;
  if (!AllDigits(name.substr(9, name.size() - 13))) return std::nullopt;
  const Date date{DigitsAt(name, 0, 4), DigitsAt(name, 4, 2), DigitsAt(name, 6, 2)};
  if (!IsValidDate(date)) return std::nullopt;
  return DayNumber(date);
}

std::vector<BackupSet> GroupIntoSets(const std::vector<FolderArchive>& files) {
  std::vector<BackupSet> sets;
  std::map<std::string, size_t> setOfKey;
  const std::vector<std::string> keys = SetKeys(files);
  for (size_t i = 0; i < files.size(); ++i) {
    if (!files[i].record) continue;
    const auto [at, added] = setOfKey.try_emplace(keys[i], sets.size());
    if (added) sets.emplace_back();
    sets[at->second].archives.push_back(MemberOf(files[i]));
  }
  for (BackupSet& set : sets) {
    std::sort(set.archives.begin(), set.archives.end(), Older);
    set.sources = set.archives.back().record.sources;
    set.computer = set.archives.back().record.computer;
    ResolveLinks(set);
  }
  return sets;
}

FolderSets ReadFolderSets(const std::vector<FolderArchive>& files, int64_t now) {
  // A few minutes' grace: computers sharing a folder never keep quite the same time.
  constexpr int64_t kClockGrace = int64_t{5} * 60;
  FolderSets folder{GroupIntoSets(files), {}, {}, false};
  for (const FolderArchive& file : files) {
    if (!file.unreadable.empty()) {
      folder.doubts.push_back(Filled(texts::DoubtUnreadable, {file.name, file.unreadable}));
      folder.unreadable = true;
    } else if (file.record && UtcSeconds(file.record->made) > now + kClockGrace) {
      const std::string doubt = Filled(texts::DoubtFuture, {file.name, DayText(file.record->made)});
      folder.notes.push_back(doubt + ".");
      folder.doubts.push_back(doubt);
    }
  }
  FindSameIdentity(files, folder);
  return folder;
}

const BackupSet* SetOf(const FolderSets& folder, const ArchiveRecord& record) {
  std::vector<FolderArchive> files{{"", record, {}, {}}};
  for (const BackupSet& set : folder.sets)
    files.push_back({"", set.archives.back().record, {}, {}});
  const std::vector<std::string> keys = SetKeys(files);
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i] == keys[0]) return &folder.sets[i - 1];
  return nullptr;
}

std::pair<const BackupSet*, const SetMember*> Holding(const FolderSets& folder,
                                                      const std::string& name) {
  for (const BackupSet& set : folder.sets)
    for (const SetMember& member : set.archives)
      if (zip::FoldCase(member.name) == zip::FoldCase(name)) return {&set, &member};
  return {nullptr, nullptr};
}

const SetMember* NewestOf(const BackupSet& set, std::string& doubt, std::string& note) {
  if (set.archives.empty()) return nullptr;
  const SetMember& newest = set.archives.back();
  if (!newest.whole) {
    doubt = Filled(texts::DoubtGap, {newest.name, GapOf(set, newest)});
    return nullptr;
  }
  std::vector<std::string> equal;
  for (const SetMember& other : set.archives) {
    if (newest.record.id.empty()) break;
    if (&other != &newest && other.record.id == newest.record.id) {
      doubt = Filled(texts::NewestInDoubt, {newest.name});
      return nullptr;
    }
    if (other.record.sequence == newest.record.sequence) equal.push_back(other.name);
  }
  if (equal.size() > 1)
    note = Filled(texts::NoteSameNumber,
                  {Listed(equal), std::to_string(newest.record.sequence), newest.name});
  return &newest;
}

uint64_t NextNumber(const BackupSet* set) {
  uint64_t highest = 0;
  if (set)
    for (const SetMember& member : set->archives)
      highest = std::max(highest, member.record.sequence);
  return highest + 1;
}

std::string PreviousName(const BackupSet& set, const SetMember& member) {
  return member.link == LinkState::Linked ? set.archives[member.previous].name : std::string();
}

std::string GapOf(const BackupSet& set, const SetMember& member) {
  const SetMember* at = &member;
  for (size_t steps = 0; at->link == LinkState::Linked; ++steps) {
    if (steps > set.archives.size()) return Filled(texts::GapLoop, {member.name});
    at = &set.archives[at->previous];
  }
  if (at->link == LinkState::Missing) return Filled(texts::GapMissing, {at->record.follows});
  if (at->link == LinkState::Swapped)
    return Filled(texts::GapSwapped, {set.archives[at->previous].name, at->name});
  return {};
}

}  // namespace dszip::sets
