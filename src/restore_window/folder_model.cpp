#include "restore_window/folder_model.h"

#include <algorithm>
#include <map>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/sets/set_folder.h"
#include "engine/text.h"
#include "restore_window/texts.h"
#include "zip/zip_records.h"

namespace restore_window {

using dszip::sets::ArchiveKind;

FolderModel ReadFolder(dszip::FileSystem& fs, const std::string& folder) {
  FolderModel model{.folder = fs.FullPath(folder), .sets = {}, .single = {}};
  if (model.folder.back() != '\\') model.folder += '\\';
  const std::vector<dszip::sets::ListedArchive> listed =
      dszip::sets::ListSetFolder(fs, model.folder, false);
  std::map<std::string, uint64_t> sizes;
  for (const dszip::sets::ListedArchive& one : listed) {
    sizes[one.archive.name] = one.read.size;
    if (!one.archive.record)
      model.single.push_back({.name = one.archive.name,
                              .made = {},
                              .size = one.read.size,
                              .broken = one.archive.unreadable});
  }
  std::sort(model.single.begin(), model.single.end(),
            [](const Night& a, const Night& b) { return a.name < b.name; });
  const dszip::sets::FolderSets read =
      dszip::sets::ReadFolderSets(ArchivesOf(listed), zip::UnixSeconds(fs.Now()));
  for (const dszip::sets::BackupSet& set : read.sets) {
    SetOfNights shown{set.sources, set.archives.back().record.sourcesDigest, set.computer, {}};
    for (auto member = set.archives.rbegin(); member != set.archives.rend(); ++member)
      shown.nights.push_back(
          {member->name, member->record.kind, member->record.made, sizes[member->name],
           member->whole ? std::string() : Filled(texts::ChainGap, {GapOf(set, *member)})});
    model.sets.push_back(std::move(shown));
  }
  return model;
}

const char* KindText(ArchiveKind kind) {
  switch (kind) {
    case ArchiveKind::Full: return texts::KindFull;
    case ArchiveKind::Incremental: return texts::KindIncremental;
    case ArchiveKind::Moved: return texts::KindMoved;
  }
  return "";
}

std::string WhenText(const dszip::sets::LocalTime& made) {
  return Filled(texts::NightWhen,
                {TwoDigits(made.day), TwoDigits(made.month), std::to_string(made.year),
                 TwoDigits(made.hour), TwoDigits(made.minute)});
}

std::string SetText(size_t number, const SetOfNights& set) {
  const std::string sources = set.sources.empty() ? set.sourcesDigest : dszip::Joined(set.sources);
  if (set.computer.empty()) return Filled(texts::SetHeading, {std::to_string(number), sources});
  return Filled(texts::SetHeadingOnComputer, {std::to_string(number), sources, set.computer});
}

}  // namespace restore_window
