#include "restore_window/folder_model.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/filled.h"
#include "core/two_digits.h"
#include "dszip/sets/set_folder.h"
#include "dszip/text.h"
#include "restore_window/texts.h"
#include "zip/stored_name.h"

namespace restore_window {

using dszip::sets::ArchiveKind;

std::string ChainGap(const dszip::sets::BackupSet& set, const dszip::sets::SetMember& night) {
  std::map<std::string, const dszip::sets::SetMember*> byName;
  for (const dszip::sets::SetMember& member : set.archives)
    byName[zip::FoldCase(member.name)] = &member;
  std::set<std::string> seen{zip::FoldCase(night.name)};
  const dszip::sets::SetMember* at = &night;
  while (at->record.kind == ArchiveKind::Incremental) {
    const std::string& link = at->record.follows;
    if (link.empty()) return texts::ChainNoStart;
    const auto found = byName.find(zip::FoldCase(link));
    if (found == byName.end()) return Filled(texts::ChainLinkGone, {link});
    if (!seen.insert(found->first).second) return texts::ChainLoop;
    at = found->second;
  }
  return {};
}

FolderModel ReadFolder(dszip::FileSystem& fs, const std::string& folder) {
  FolderModel model{.folder = fs.FullPath(folder), .sets = {}, .single = {}};
  if (model.folder.back() != '\\') model.folder += '\\';
  const std::vector<dszip::sets::ListedArchive> listed =
      dszip::sets::ListSetFolder(fs, model.folder, false);
  std::map<std::string, uint64_t> sizes;
  for (const dszip::sets::ListedArchive& one : listed) {
    sizes[one.archive.name] = one.read.size;
    if (!one.archive.record)
      model.single.push_back({.name = one.archive.name, .made = {}, .size = one.read.size, .broken = {}});
  }
  std::sort(model.single.begin(), model.single.end(),
            [](const Night& a, const Night& b) { return a.name < b.name; });
  for (const dszip::sets::BackupSet& set : dszip::sets::GroupIntoSets(ArchivesOf(listed))) {
    SetOfNights shown{set.sources, set.archives.back().record.sourcesDigest, {}};
    for (auto member = set.archives.rbegin(); member != set.archives.rend(); ++member)
      shown.nights.push_back({member->name, member->record.kind, member->record.made,
                              sizes[member->name], ChainGap(set, *member)});
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
  return Filled(texts::NightWhen, {TwoDigits(made.day), TwoDigits(made.month),
                                   std::to_string(made.year), TwoDigits(made.hour),
                                   TwoDigits(made.minute)});
}

std::string SetText(size_t number, const SetOfNights& set) {
  const std::string sources = set.sources.empty() ? set.sourcesDigest : dszip::Joined(set.sources);
  return Filled(texts::SetHeading, {std::to_string(number), sources});
}

}  // namespace restore_window
