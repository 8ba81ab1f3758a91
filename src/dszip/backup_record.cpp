#include "dszip/backup_record.h"

#include <algorithm>
#include <cstring>

#include "core/ascii_case.h"
#include "core/filled.h"
#include "engine/sets/set_folder.h"
#include "engine/sets/set_texts.h"
#include "engine/sets/state_list.h"
#include "engine/sets/thinning_step.h"
#include "engine/target_folder.h"
#include "engine/text.h"
#include "zip/zip_records.h"

namespace dszip {
namespace {

sets::LocalTime LocalNow(FileSystem& fs) {
  const uint64_t now = fs.Now();
  const CivilTime local = fs.ToLocalTime(now);
  sets::LocalTime made{local.year, local.month, local.day, local.hour, local.minute, local.second};
  const int64_t ahead = sets::UtcSeconds(made) - UnixSeconds(now);
  made.offsetMinutes = static_cast<int>((ahead >= 0 ? ahead + 30 : ahead - 30) / 60);
  return made;
}

class MemoryFile : public InputFile {
 public:
  explicit MemoryFile(const std::string& text) : text_(text) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    const size_t take = std::min(size, text_.size() - std::min(at_, text_.size()));
    if (take > 0) std::memcpy(buffer, text_.data() + at_, take);
    at_ += take;
    return take;
  }
  void Seek(uint64_t offset) override { at_ = static_cast<size_t>(offset); }
  FileInfo Info() override { return FileInfo{.size = text_.size()}; }
  FileId Identity() override { return {}; }

 private:
  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace

std::string RecordedSource(FileSystem& fs, const std::string& source) {
  std::string path = fs.FullPath(source);
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

sets::ArchiveRecord RecordOfRun(FileSystem& fs, Crypto& crypto, const Options& options) {
  sets::ArchiveRecord record;
  uint8_t random[16] = {};
  crypto.Random(random, sizeof random);
  record.id = sets::IdOf(random);
  record.computer = fs.ComputerName();
  record.kind = options.move           ? sets::ArchiveKind::Moved
                : options.onlyArchived ? sets::ArchiveKind::Incremental
                                       : sets::ArchiveKind::Full;
  record.made = LocalNow(fs);
  record.recurse = options.recurse;
  for (const std::string& source : options.sources)
    record.sources.push_back(RecordedSource(fs, source));
  // As the comment will hold it: a long source list becomes its digest, and sets compare so.
  return sets::ParseRecord(sets::FormatRecord(record)).value_or(record);
}

void LinkToSet(const sets::FolderSets& folder, SetEntry& entry) {
  sets::ArchiveRecord& record = entry.record;
  const sets::BackupSet* set = sets::SetOf(folder, record);
  record.sequence = sets::NextNumber(set);
  entry.notes.insert(entry.notes.end(), folder.notes.begin(), folder.notes.end());
  if (record.kind != sets::ArchiveKind::Incremental) return;
  std::string doubt, note;
  const sets::SetMember* newest = set ? sets::NewestOf(*set, doubt, note) : nullptr;
  if (folder.unreadable) doubt = Joined(folder.doubts);
  if (!doubt.empty()) {
    entry.warnings.push_back(Filled(sets::texts::FollowsNothingInDoubt, {doubt}));
    return;
  }
  if (!note.empty()) entry.notes.push_back(note);
  if (!newest) {
    entry.notes.push_back(sets::texts::FollowsNothing);
    return;
  }
  record.follows = newest->name;
  record.followsId = newest->record.id;
  record.followsDirectory = newest->directory;
  entry.notes.push_back(Filled(sets::texts::FollowsNote, {newest->name}));
}

std::string StateListText(const std::vector<Item>& found) {
  std::vector<sets::StateEntry> entries;
  entries.reserve(found.size());
  for (const Item& item : found)
    entries.push_back({item.storedName, item.info.size, item.info.modified});
  return sets::FormatStateList(entries);
}

SetEntry PrepareSetEntry(FileSystem& fs, Crypto& crypto, const Options& options,
                         const std::string& folder, Selection& selection) {
  std::vector<Item>& items = selection.items;
  SetEntry entry;
  entry.record = RecordOfRun(fs, crypto, options);
  try {
    LinkToSet(sets::ReadFolderSets(sets::ArchivesOf(sets::ListSetFolder(fs, folder, false)),
                                   UnixSeconds(fs.Now())),
              entry);
  } catch (const FileError& error) {
    entry.warnings.push_back(Filled(sets::texts::FolderNotListed, {folder, error.what()}));
  }
  entry.comment = sets::FormatRecord(entry.record);
  if (!options.onlyArchived) return entry;
  const auto reserved = std::find_if(items.begin(), items.end(), [](const Item& item) {
    return AsciiLower(item.storedName) == AsciiLower(sets::kStateListName);
  });
  if (reserved != items.end()) {
    entry.warnings.push_back(Filled(sets::texts::NameReserved, {reserved->path}));
    items.erase(reserved);
  }
  entry.stateList = StateListText(selection.found);
  items.push_back({kStateListPath, sets::kStateListName,
                   FileInfo{.size = entry.stateList.size(), .modified = fs.Now()}});
  return entry;
}

void DropStateList(std::vector<zip::WrittenEntry>& entries, const std::vector<Item>& items) {
  std::erase_if(entries, [&](const zip::WrittenEntry& entry) {
    return items[entry.item].path == kStateListPath;
  });
}

std::unique_ptr<InputFile> WithStateList::OpenRead(const std::string& path) {
  if (path == kStateListPath) return std::make_unique<MemoryFile>(text_);
  return files_.OpenRead(path);
}

ThinningReport ThinAfterRun(FileSystem& fs, const Options& options, const std::string& archive,
                            const Selection& selection,
                            const std::vector<zip::WriteWarning>& notWhole) {
  ThinningReport report;
  if (selection.unknownParts) {
    report.warnings.push_back(sets::texts::NotThinnedUnknown);
    return report;
  }
  const std::string folder = FolderOf(archive);
  sets::ThinningRequest request{.folder = folder,
                                .archive = archive.substr(folder.size()),
                                .rules = *options.keep,
                                .moved = options.move,
                                .notWhole = {}};
  for (const zip::WriteWarning& warning : notWhole)
    request.notWhole.push_back(selection.items[warning.item].storedName);
  sets::ThinningOutcome outcome = sets::ThinAfterBackup(fs, request);
  report.notes = std::move(outcome.notes);
  report.warnings = std::move(outcome.warnings);
  report.deleted = std::move(outcome.deleted);
  for (const sets::KeptArchive& kept : outcome.kept)
    report.kept.push_back(Filled(sets::texts::KeptLine, {kept.name, Joined(kept.reasons)}));
  return report;
}

}  // namespace dszip
