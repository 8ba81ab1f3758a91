#include "engine/sets/thinning_step.h"

#include <map>
#include <set>

#include "core/filled.h"
#include "engine/sets/set_folder.h"
#include "engine/sets/set_texts.h"
#include "zip/errors.h"
#include "zip/stored_name.h"
#include "zip/zip_reader.h"
#include "zip/zip_records.h"

namespace dszip::sets {
namespace {

// Another archive of the same number: two runs of the set at once.
std::string TwinOf(const BackupSet& set, const SetMember& member) {
  for (const SetMember& other : set.archives)
    if (&other != &member && !member.record.id.empty() && !other.record.id.empty() &&
        other.record.sequence == member.record.sequence)
      return other.name;
  return {};
}

// For each file this run could not store whole, the newest earlier archive whose directory
// holds it. An archive whose directory cannot be read might hold it: it stays too.
std::vector<std::string> LastWholeCopies(FileSystem& fs, const ThinningRequest& request,
                                         const BackupSet& set) {
  std::set<std::string> wanted;
  for (const std::string& name : request.notWhole) wanted.insert(zip::FoldCase(name));
  std::vector<std::string> keep;
  for (auto member = set.archives.rbegin(); member != set.archives.rend() && !wanted.empty();
       ++member) {
    if (zip::FoldCase(member->name) == zip::FoldCase(request.archive)) continue;
    try {
      const auto file = fs.OpenRead(request.folder + member->name);
      bool holds = false;
      for (const zip::ArchiveEntry& entry : zip::ReadDirectory(*file, file->Info().size))
        holds = wanted.erase(zip::FoldCase(entry.record.name)) > 0 || holds;
      if (holds) keep.push_back(member->name);
    } catch (const FileError&) {
      keep.push_back(member->name);
    } catch (const zip::Error&) {
      keep.push_back(member->name);
    }
  }
  return keep;
}

// Deletes in the plan's order. When one cannot go, the archives it rests on stay, so that
// what is left still forms whole chains.
void Delete(FileSystem& fs, const ThinningRequest& request, const ThinningPlan& plan,
            const std::vector<ListedArchive>& listed, const BackupSet& set,
            ThinningOutcome& outcome) {
  std::map<std::string, const ListedArchive*> read;
  for (const ListedArchive& one : listed) read[zip::FoldCase(one.archive.name)] = &one;
  std::map<std::string, std::string> follows;
  for (const SetMember& member : set.archives)
    if (member.link == LinkState::Linked)
      follows[zip::FoldCase(member.name)] = PreviousName(set, member);
  std::map<std::string, std::string> staysFor;  // an archive kept for one that could not go
  for (const std::string& name : plan.deleted) {
    if (const auto stays = staysFor.find(zip::FoldCase(name)); stays != staysFor.end()) {
      outcome.kept.push_back({name, {Filled(texts::ChainStays, {stays->second})}});
      continue;
    }
    try {
      fs.DeleteIfUnchanged(request.folder + name, read.at(zip::FoldCase(name))->read);
      outcome.deleted.push_back(name);
    } catch (const FileError& error) {
      if (error.Is(FileError::NotFound)) {  // another run thinning the folder was quicker
        outcome.notes.push_back(Filled(texts::AlreadyGone, {name}));
        continue;
      }
      outcome.warnings.push_back(Filled(texts::NotThinned, {name, error.what()}));
      outcome.kept.push_back({name, {}});
      auto link = follows.find(zip::FoldCase(name));
      for (size_t steps = 0; link != follows.end() && steps < follows.size(); ++steps) {
        staysFor.try_emplace(zip::FoldCase(link->second), name);
        link = follows.find(zip::FoldCase(link->second));
      }
    }
  }
}

}  // namespace

PlanInput PlanInputOf(const BackupSet& set, const std::string& newArchive) {
  PlanInput input;
  input.newArchive = newArchive;
  for (const SetMember& member : set.archives) {
    input.archives.push_back({member.name, member.day, member.record.kind,
                              PreviousName(set, member), TwinOf(set, member)});
    if (zip::FoldCase(member.name) == zip::FoldCase(newArchive)) input.referenceDay = member.day;
  }
  return input;
}

std::string GapInKept(const ThinningPlan& plan, const BackupSet& set) {
  std::set<std::string> kept;
  for (const KeptArchive& one : plan.kept) kept.insert(one.name);
  for (const SetMember& member : set.archives)
    if (!member.whole && kept.count(member.name) != 0)
      return Filled(texts::DoubtGap, {member.name, GapOf(set, member)});
  return {};
}

ThinningOutcome ThinAfterBackup(FileSystem& fs, const ThinningRequest& request) {
  ThinningOutcome outcome;
  if (request.moved) {
    outcome.notes.push_back(texts::MovedThinsNothing);
    return outcome;
  }
  std::vector<ListedArchive> listed;
  try {
    listed = ListSetFolder(fs, request.folder, true);
  } catch (const FileError& error) {
    outcome.warnings.push_back(Filled(texts::FolderNotListed, {request.folder, error.what()}));
    return outcome;
  }
  const FolderSets folder = ReadFolderSets(ArchivesOf(listed), UnixSeconds(fs.Now()));
  for (const std::string& doubt : folder.doubts)
    outcome.warnings.push_back(Filled(texts::ThinningSkipped, {doubt}));
  const auto [set, fresh] = Holding(folder, request.archive);
  if (!set) outcome.warnings.push_back(Filled(texts::SetNotFound, {request.archive}));
  // What an incremental that follows nothing, though its set had archives, needs cannot be
  // known: everything stays.
  if (fresh && fresh->record.kind == ArchiveKind::Incremental && fresh->link == LinkState::Start &&
      set->archives.size() > 1)
    outcome.warnings.push_back(
        Filled(texts::ThinningSkipped, {Filled(texts::LinklessThinsNothing, {fresh->name})}));
  if (!outcome.warnings.empty()) return outcome;
  PlanInput input = PlanInputOf(*set, request.archive);
  if (!request.notWhole.empty()) input.lastWholeCopies = LastWholeCopies(fs, request, *set);
  const ThinningPlan plan = PlanThinning(request.rules, input);
  if (const std::string gap = GapInKept(plan, *set); !gap.empty()) {
    outcome.warnings.push_back(Filled(texts::ThinningSkipped, {gap}));
    return outcome;
  }
  if (!plan.note.empty()) outcome.notes.push_back(plan.note);
  outcome.kept = plan.kept;
  Delete(fs, request, plan, listed, *set, outcome);
  return outcome;
}

}  // namespace dszip::sets
