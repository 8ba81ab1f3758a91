#include "dszip/sets/backup_sets.h"

#include <algorithm>
#include <map>

#include "dszip/sets/calendar.h"

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

SetMember MemberOf(const std::string& name, const ArchiveRecord& record) {
  const LocalTime& made = record.made;
  const std::optional<int64_t> day = DayOfName(name);
  return {name, record, day ? *day : DayNumber({made.year, made.month, made.day})};
}

bool Older(const SetMember& a, const SetMember& b) {
  if (a.day != b.day) return a.day < b.day;
  const int64_t madeA = UtcSeconds(a.record.made), madeB = UtcSeconds(b.record.made);
  if (madeA != madeB) return madeA < madeB;
  return a.name < b.name;
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
  for (const FolderArchive& file : files) {
    if (!file.record) continue;
    const auto [at, added] = setOfKey.try_emplace(SourcesKey(*file.record), sets.size());
    if (added) sets.emplace_back();
    sets[at->second].archives.push_back(MemberOf(file.name, *file.record));
  }
  for (BackupSet& set : sets) {
    std::sort(set.archives.begin(), set.archives.end(), Older);
    set.sources = set.archives.back().record.sources;
  }
  return sets;
}

}  // namespace dszip::sets
