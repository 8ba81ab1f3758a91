// The chain builder over random folders: records of both formats, shared identities and
// numbers, links by name and by identity that lead anywhere or nowhere, unreadable files. Every
// archive with a record lands in one set; a whole chain walks back to its start; what a new
// archive follows is whole; and thinning never deletes an archive that a kept one rests on.
//
// Input: 7 bytes per file: name, flags (kind, format, unreadable), number, identity, link,
// directory, computer and sources.

#include <set>
#include <string>

#include "engine/sets/backup_sets.h"
#include "engine/sets/retention.h"
#include "engine/sets/thinning_step.h"
#include "fuzz_support.h"

using namespace dszip::sets;  // NOLINT(google-build-using-namespace)

namespace {

std::string Name(uint8_t byte) {
  return "2024030" + std::to_string(byte % 8) + "-" + std::to_string(byte / 8 % 4) + ".zip";
}
std::string Id(uint8_t byte) { return std::string(31, '0') + "0123456789abcdef"[byte % 16]; }

FolderArchive FileOf(const uint8_t* p) {
  FolderArchive file{Name(p[0]), std::nullopt, {p[5] % 4u, p[5] / 4u % 4u}, {}};
  if (p[1] & 0x80) file.unreadable = "gesperrt";
  if ((p[1] & 0x40) || !file.unreadable.empty()) return file;
  ArchiveRecord record;
  record.kind = static_cast<ArchiveKind>(p[1] % 3);
  record.made = {2024, 3, 1 + p[2] % 28, 22, 0, 0, 60};
  if (p[1] & 0x08) {  // format 2
    record.id = Id(p[3]);
    record.sequence = 1 + p[2] % 8;
    record.computer = p[6] & 1 ? "BUERO2" : "BUERO1";
  }
  if (record.kind == ArchiveKind::Incremental && (p[4] & 0x80) == 0) {
    record.follows = Name(p[4]);
    if (p[1] & 0x10 && !record.id.empty()) record.followsId = Id(p[4]);
    if (!record.id.empty()) record.followsDirectory = {p[4] % 4u, p[4] / 4u % 4u};
  }
  record.sources = {p[6] & 2 ? "C:\\Daten" : "D:\\Mail"};
  file.record = record;
  return file;
}

void CheckSet(const BackupSet& set) {
  for (const SetMember& member : set.archives) {
    if (member.link == LinkState::Linked)
      FUZZ_CHECK(member.previous < set.archives.size() &&
                 &set.archives[member.previous] != &member);
    FUZZ_CHECK(member.whole == GapOf(set, member).empty());
    if (!member.whole) continue;
    const SetMember* at = &member;
    for (size_t steps = 0; at->link == LinkState::Linked; ++steps) {
      FUZZ_CHECK(steps < set.archives.size() && at->previous < set.archives.size());
      at = &set.archives[at->previous];
    }
    FUZZ_CHECK(at->link == LinkState::Start);
  }
  std::string doubt, note;
  if (const SetMember* newest = NewestOf(set, doubt, note)) FUZZ_CHECK(newest->whole);
}

// What the plan keeps keeps its chain: nothing it rests on is deleted.
void CheckPlan(const BackupSet& set) {
  const ThinningPlan plan =
      PlanThinning({{RuleUnit::Newest, 1}}, PlanInputOf(set, set.archives.back().name));
  if (!GapInKept(plan, set).empty()) return;  // the run would thin nothing
  const std::set<std::string> deleted(plan.deleted.begin(), plan.deleted.end());
  for (const KeptArchive& kept : plan.kept)
    for (const SetMember& member : set.archives) {
      if (member.name != kept.name) continue;
      for (const SetMember* at = &member; at->link == LinkState::Linked;) {
        at = &set.archives[at->previous];
        FUZZ_CHECK(deleted.count(at->name) == 0);
      }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<FolderArchive> files;
  std::set<std::string> names;
  for (size_t at = 0; at + 7 <= size && files.size() < 40; at += 7) {
    FolderArchive file = FileOf(data + at);
    if (names.insert(file.name).second) files.push_back(std::move(file));
  }
  const FolderSets folder = ReadFolderSets(files, 1700000000);
  size_t members = 0;
  for (const BackupSet& set : folder.sets) {
    FUZZ_CHECK(!set.archives.empty());
    members += set.archives.size();
    CheckSet(set);
    CheckPlan(set);
  }
  size_t records = 0;
  for (const FolderArchive& file : files) {
    records += file.record ? 1 : 0;
    if (!file.unreadable.empty()) FUZZ_CHECK(folder.unreadable && !folder.doubts.empty());
  }
  FUZZ_CHECK(members == records);
  return 0;
}
