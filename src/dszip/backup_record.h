#pragma once
// What a backup writes about itself: the record in the archive comment and, for -ao, the state
// list as one more entry. The list is served from memory to the writer and to the read-back
// check under a path no file can have, so that the library treats it as any other file.
#include <memory>
#include <string>
#include <vector>

#include "dszip/command_line.h"
#include "dszip/selection.h"
#include "engine/file_system.h"
#include "engine/sets/backup_sets.h"
#include "zip/crypto.h"
#include "zip/zip_writer.h"

namespace dszip {

// The identity, computer, kind, sources and time of this run, not yet linked to its set.
sets::ArchiveRecord RecordOfRun(FileSystem& fs, Crypto& crypto, const Options& options);

// The source as the record keeps it: a full path without closing "\" (a drive root keeps it).
std::string RecordedSource(FileSystem& fs, const std::string& source);

inline constexpr const char* kStateListPath = "<Zustandsliste>";  // "<" is in no Windows path

std::string StateListText(const std::vector<Item>& found);

// This run's place in its set, made before the archive is written.
struct SetEntry {
  sets::ArchiveRecord record;
  std::string comment;    // the record as the archive comment holds it
  std::string stateList;  // -ao: the state list's text, its item last in the selection
  std::vector<std::string> notes, warnings;
};

// Lists `folder` (ending in "\") for this run's number in its set and the archive an
// incremental follows: the newest of its set, or none while a file there cannot be read. With
// -ao appends the state list's item to the selection's items; a source that has the state
// list's stored name gives way with a warning.
SetEntry PrepareSetEntry(FileSystem& fs, Crypto& crypto, const Options& options,
                         const std::string& folder, Selection& selection);

// The state list's entry taken out of what was written once it is verified: it is no source,
// so it is neither counted nor cleared nor deleted.
void DropStateList(std::vector<zip::WrittenEntry>& entries, const std::vector<Item>& items);

// -behalten after a verified run, in what its summary says: notes, warnings, every archive
// deleted and every one kept with the reasons. A run that missed part of its sources thins
// nothing, since what they hold may be only in earlier archives.
struct ThinningReport {
  std::vector<std::string> notes, warnings, deleted, kept;
};
ThinningReport ThinAfterRun(FileSystem& fs, const Options& options, const std::string& archive,
                            const Selection& selection,
                            const std::vector<zip::WriteWarning>& notWhole);

// The files the writer and the check read: the state list from memory, the rest passed on.
class WithStateList : public zip::Files {
 public:
  WithStateList(zip::Files& files, std::string text) : files_(files), text_(std::move(text)) {}
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
  CivilTime ToLocalTime(uint64_t ticks) override { return files_.ToLocalTime(ticks); }

 private:
  zip::Files& files_;
  std::string text_;
};

}  // namespace dszip
