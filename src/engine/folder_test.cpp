#include "engine/folder_test.h"

#include <algorithm>
#include <array>

#include "core/filled.h"
#include "engine/folder_check.h"
#include "engine/outcome.h"
#include "engine/restore_context.h"
#include "engine/sets/set_texts.h"
#include "engine/text.h"
#include "engine/texts.h"

namespace dszip {
namespace {

// Findings of one archive the summary shows; a damaged state list could name thousands.
constexpr size_t kFindingsShown = 20;

const char* Word(Soundness soundness) {
  switch (soundness) {
    case Soundness::Sound: return texts::CheckSetSound;
    case Soundness::Doubtful: return texts::CheckDoubtful;
    case Soundness::Damaged: return texts::CheckDamaged;
  }
  return "";
}

// A sound archive with the files it holds, as t says it.
std::string SoundnessText(const ArchiveCheck& check) {
  return check.soundness == Soundness::Sound ? Filled(texts::CheckSound, {FileCount(check.files)})
                                             : Word(check.soundness);
}

int ExitCodeOf(Soundness soundness) {
  switch (soundness) {
    case Soundness::Sound: return kExitOk;
    case Soundness::Doubtful: return kExitWarning;
    case Soundness::Damaged: return kExitFatal;
  }
  return kExitFatal;
}

void SayArchive(Verdict& verdict, const sets::SetMember& member, const ArchiveCheck& check) {
  verdict.Say(Filled(texts::CheckedArchive,
                     {member.name, KindText(member.record.kind), SoundnessText(check)}));
  const size_t shown = std::min(check.findings.size(), kFindingsShown);
  for (size_t i = 0; i < shown; ++i)
    verdict.Say(Filled(texts::CheckFinding, {Printable(check.findings[i])}));
  if (check.findings.size() > shown)
    verdict.Say(Filled(texts::MoreFindings, {std::to_string(check.findings.size() - shown)}));
}

// The sets, the files of none, and the count of archives by verdict.
void SayCheck(Verdict& verdict, const FolderCheck& check) {
  verdict.Say(Filled(texts::FolderChecked, {check.folder}));
  if (check.sets.empty()) verdict.Say(Filled(sets::texts::ListingNoSets, {check.folder}));
  std::array<size_t, 3> counts{};
  for (size_t i = 0; i < check.sets.size(); ++i) {
    const SetCheck& set = check.sets[i];
    verdict.Say(SetLine(i + 1, set.set));
    for (size_t k = 0; k < set.archives.size(); ++k) {
      SayArchive(verdict, set.set.archives[k], set.archives[k]);
      ++counts[static_cast<size_t>(set.archives[k].soundness)];
    }
    verdict.Say(Filled(texts::CheckSetVerdict, {std::to_string(i + 1), Word(set.soundness)}));
  }
  if (!check.withoutRecord.empty())
    verdict.Say(Filled(texts::CheckWithoutRecord, {Joined(check.withoutRecord)}));
  verdict.Say(
      Filled(texts::CheckTotal,
             {std::to_string(check.sets.size()), std::to_string(counts[0] + counts[1] + counts[2]),
              std::to_string(counts[0]), std::to_string(counts[1]), std::to_string(counts[2])}));
}

}  // namespace

std::string SetLine(size_t number, const sets::BackupSet& set) {
  const sets::ArchiveRecord& newest = set.archives.back().record;
  const std::string sources =
      newest.sources.empty() ? newest.sourcesDigest : Joined(newest.sources);
  return Filled(sets::texts::ListingSet,
                {std::to_string(number), sources, newest.recurse ? "-r" : "-r-"}) +
         (set.computer.empty() ? std::string()
                               : Filled(sets::texts::ListingComputer, {set.computer}));
}

const char* KindText(sets::ArchiveKind kind) {
  switch (kind) {
    case sets::ArchiveKind::Full: return sets::texts::KindFull;
    case sets::ArchiveKind::Incremental: return sets::texts::KindIncremental;
    case sets::ArchiveKind::Moved: return sets::texts::KindMoved;
  }
  return "";
}

int RunFolderTest(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
                  const std::atomic<bool>& cancelled, Verdict& verdict) {
  std::string folder = fs.FullPath(options.archive);
  if (!folder.ends_with('\\')) folder += '\\';
  try {
    const FolderCheck check = CheckFolder(fs, crypto, console, cancelled, folder, options.password);
    SayCheck(verdict, check);
    return verdict.Conclude(ExitCodeOf(check.soundness));
  } catch (const FileError& error) {
    verdict.Say(Filled(sets::texts::ListingFolderUnreadable, {folder, error.what()}));
    return verdict.Conclude(kExitFatal);
  } catch (const RunError& error) {
    verdict.Say(error.what());
    return verdict.Conclude(error.ExitCode());
  }
}

}  // namespace dszip
