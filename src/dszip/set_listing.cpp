#include "dszip/set_listing.h"

#include <map>
#include <optional>

#include "core/ascii_case.h"
#include "core/filled.h"
#include "core/two_digits.h"
#include "dszip/command_line.h"
#include "dszip/texts.h"
#include "engine/folder_test.h"
#include "engine/outcome.h"
#include "engine/sets/calendar.h"
#include "engine/sets/set_folder.h"
#include "engine/sets/set_texts.h"
#include "engine/sets/thinning_step.h"
#include "engine/text.h"
#include "zip/zip_records.h"

namespace dszip {
namespace {

struct ListingOptions {
  std::string folder;
  std::optional<std::vector<sets::Rule>> rules;
};

[[noreturn]] void Refuse(const std::string& message) {
  throw RunError(kExitUsage, message + "\n" + sets::texts::ListingUsage);
}

ListingOptions ParseListing(const std::vector<std::string>& given) {
  ListingOptions options;
  std::vector<std::string> arguments(given.begin(), given.begin() + (given.empty() ? 0 : 1));
  for (size_t i = 1; i < given.size(); ++i) {
    std::vector<std::string> glued;
    arguments.push_back(TargetAsTyped(given[i], glued));
    arguments.insert(arguments.end(), glued.begin(), glued.end());
  }
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (IsKeepSwitch(argument)) {
      try {
        options.rules = KeepRules(arguments, i);
      } catch (const RunError& error) {
        Refuse(error.what());
      }
    } else if (!options.folder.empty() || (argument.size() > 1 && argument[0] == '-')) {
      Refuse(Filled(texts::UnknownSwitch, {argument}));  // a second folder too: one per run
    } else {
      options.folder = argument;
    }
  }
  if (options.folder.empty()) Refuse(sets::texts::ListingNoFolder);
  if (options.folder.back() != '\\') options.folder += '\\';
  return options;
}

std::string DayText(int64_t day) {
  const sets::Date date = sets::DateOfDay(day);
  return TwoDigits(date.day) + "." + TwoDigits(date.month) + "." + std::to_string(date.year);
}

// "Nr. 12  5f0c1a2b" for a record of format 2, "Format 1" for one without identity.
std::string IdentityText(const sets::ArchiveRecord& record) {
  if (record.id.empty()) return sets::texts::ListingFirstFormat;
  return Filled(sets::texts::ListingIdentity,
                {std::to_string(record.sequence), record.id.substr(0, 8)});
}

std::string LinkText(const sets::BackupSet& set, const sets::SetMember& member) {
  if (member.link == sets::LinkState::Linked)
    return Filled(sets::texts::ListingFollows, {sets::PreviousName(set, member)});
  if (member.link == sets::LinkState::Start) return {};
  return Filled(sets::texts::ListingBroken, {sets::GapOf(set, member)});
}

void ListSet(Verdict& verdict, size_t number, const sets::BackupSet& set,
             const std::map<std::string, uint64_t>& sizes) {
  verdict.Say(SetLine(number, set));
  for (const sets::SetMember& member : set.archives)
    verdict.Say(Filled(
        sets::texts::ListingArchive,
        {member.name, DayText(member.day), KindText(member.record.kind),
         IdentityText(member.record), ByteSize(sizes.at(member.name)), LinkText(set, member)}));
}

// What -behalten would do; nothing while the folder is in doubt.
void ListThinning(Verdict& verdict, const sets::FolderSets& folder, const sets::BackupSet& set,
                  const std::vector<sets::Rule>& rules) {
  if (!folder.doubts.empty()) {
    verdict.Say(Filled(sets::texts::ListingNote, {sets::texts::ListingInDoubt}));
    return;
  }
  sets::PlanInput input = sets::PlanInputOf(set, set.archives.back().name);
  input.newArchiveReason = sets::texts::KeptNewestArchive;
  const sets::ThinningPlan plan = sets::PlanThinning(rules, input);
  if (const std::string gap = sets::GapInKept(plan, set); !gap.empty()) {
    verdict.Say(Filled(sets::texts::ListingNote, {Filled(sets::texts::ThinningSkipped, {gap})}));
    return;
  }
  if (!plan.note.empty()) verdict.Say(Filled(sets::texts::ListingNote, {plan.note}));
  for (const sets::KeptArchive& kept : plan.kept)
    verdict.Say(Filled(sets::texts::ListingWouldKeep, {kept.name, Joined(kept.reasons)}));
  for (const std::string& name : plan.deleted)
    verdict.Say(Filled(sets::texts::ListingWouldDelete, {name}));
  if (plan.deleted.empty()) verdict.Say(sets::texts::ListingNothingDeleted);
}

int ListSets(const ListingOptions& options, FileSystem& fs, Verdict& verdict) {
  const std::string folder = fs.FullPath(options.folder);
  std::vector<sets::ListedArchive> listed;
  try {
    listed = sets::ListSetFolder(fs, folder, false);
  } catch (const FileError& error) {
    throw RunError(kExitFatal,
                   Filled(sets::texts::ListingFolderUnreadable, {folder, error.what()}));
  }
  std::map<std::string, uint64_t> sizes;
  std::vector<std::string> foreign;
  for (const sets::ListedArchive& one : listed) {
    sizes[one.archive.name] = one.read.size;
    if (!one.archive.record && one.archive.unreadable.empty()) foreign.push_back(one.archive.name);
  }
  const sets::FolderSets read =
      sets::ReadFolderSets(sets::ArchivesOf(listed), UnixSeconds(fs.Now()));
  if (read.sets.empty()) verdict.Say(Filled(sets::texts::ListingNoSets, {folder}));
  for (size_t i = 0; i < read.sets.size(); ++i) {
    ListSet(verdict, i + 1, read.sets[i], sizes);
    if (options.rules) ListThinning(verdict, read, read.sets[i], *options.rules);
  }
  if (!foreign.empty()) verdict.Say(Filled(sets::texts::ListingForeign, {Joined(foreign)}));
  for (const std::string& doubt : read.doubts)
    verdict.Say(Filled(sets::texts::ListingDoubt, {doubt}));
  return verdict.Conclude(read.doubts.empty() ? kExitOk : kExitWarning);
}

}  // namespace

bool IsSetListing(const std::vector<std::string>& arguments) {
  return !arguments.empty() && AsciiLower(arguments[0]) == "b";
}

// The sets, or the refusal of the command line or of an unreadable folder.
int ListBackupSets(const std::vector<std::string>& arguments, FileSystem& fs, Verdict& verdict) {
  try {
    return ListSets(ParseListing(arguments), fs, verdict);
  } catch (const RunError& error) {
    const std::vector<std::string> lines = LinesOf(error.what());
    return verdict.Refuse(error.ExitCode(), lines, lines);
  }
}

}  // namespace dszip
