#include "restore_window/folder_model.h"

#include <algorithm>
#include <map>

#include "core/filled.h"
#include "core/two_digits.h"
#include "dszip/sets/set_folder.h"
#include "dszip/text.h"
#include "restore_window/texts.h"
#include "zip/stored_name.h"

namespace restore_window {

using dszip::sets::ArchiveKind;

namespace {

// Each night's gap is its link's, so every chain of the set is walked once.
class ChainGaps {
 public:
  explicit ChainGaps(const dszip::sets::BackupSet& set) : set_(set) {
    for (size_t i = 0; i < set.archives.size(); ++i)
      byName_[zip::FoldCase(set.archives[i].name)] = i;
  }

  const std::string& Of(size_t night) {
    if (const auto known = gaps_.find(night); known != gaps_.end()) return known->second;
    std::string& gap = gaps_[night];
    gap = texts::ChainLoop;  // what a night reached again while its chain is walked has
    const dszip::sets::ArchiveRecord& record = set_.archives[night].record;
    if (record.kind != ArchiveKind::Incremental) {
      gap.clear();
    } else if (record.follows.empty()) {
      gap = texts::ChainNoStart;
    } else if (const auto link = byName_.find(zip::FoldCase(record.follows));
               link == byName_.end()) {
      gap = Filled(texts::ChainLinkGone, {record.follows});
    } else {
      gap = Of(link->second);
    }
    return gap;
  }

 private:
  const dszip::sets::BackupSet& set_;
  std::map<std::string, size_t> byName_;
  std::map<size_t, std::string> gaps_;
};

}  // namespace

FolderModel ReadFolder(dszip::FileSystem& fs, const std::string& folder) {
  FolderModel model{.folder = fs.FullPath(folder), .sets = {}, .single = {}};
  if (model.folder.back() != '\\') model.folder += '\\';
  const std::vector<dszip::sets::ListedArchive> listed =
      dszip::sets::ListSetFolder(fs, model.folder, false);
  std::map<std::string, uint64_t> sizes;
  for (const dszip::sets::ListedArchive& one : listed) {
    sizes[one.archive.name] = one.read.size;
    if (!one.archive.record)
      model.single.push_back(
          {.name = one.archive.name, .made = {}, .size = one.read.size, .broken = {}});
  }
  std::sort(model.single.begin(), model.single.end(),
            [](const Night& a, const Night& b) { return a.name < b.name; });
  for (const dszip::sets::BackupSet& set : dszip::sets::GroupIntoSets(ArchivesOf(listed))) {
    SetOfNights shown{set.sources, set.archives.back().record.sourcesDigest, {}};
    ChainGaps gaps(set);
    for (size_t i = set.archives.size(); i-- > 0;) {
      const dszip::sets::SetMember& member = set.archives[i];
      shown.nights.push_back(
          {member.name, member.record.kind, member.record.made, sizes[member.name], gaps.Of(i)});
    }
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
  return Filled(texts::SetHeading, {std::to_string(number), sources});
}

}  // namespace restore_window
