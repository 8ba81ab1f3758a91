#include "engine/folder_check.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>

#include "core/filled.h"
#include "engine/chain_restore_step.h"
#include "engine/extraction.h"
#include "engine/restore_context.h"
#include "engine/restore_password.h"
#include "engine/restore_plan.h"
#include "engine/sets/set_folder.h"
#include "engine/target_folder.h"
#include "engine/texts.h"
#include "zip/stored_name.h"

namespace dszip {
namespace {

// A folder of archives is checked unattended: no archive asks for its password.
class NoPrompt : public Console {
 public:
  explicit NoPrompt(Console& shown) : shown_(shown) {}
  void Progress(const std::string& line) override { shown_.Progress(line); }
  void Line(const std::string& text) override { shown_.Line(text); }
  void Counted(const ProgressCounts& counts) override { shown_.Counted(counts); }

 private:
  Console& shown_;
};

// The restore context wants a verdict; each archive's test records nothing of its own.
struct NoRecord : runlog::Sink {
  std::string Folder() override { return {}; }
  void Append(const std::string&) override {}
  void Report(int, const std::string&) override {}
};

void Judge(ArchiveCheck& check, Soundness soundness, const std::string& finding) {
  check.soundness = std::max(check.soundness, soundness);
  check.findings.push_back(finding);
}

// A name of the state list is held when an archive of the chain holds it; a folder also when
// one holds something below it (folders with files in them need no entry of their own).
bool Held(const std::set<std::string>& held, const std::string& name) {
  const std::string folded = FoldCase(name);
  if (held.count(folded) != 0) return true;
  const auto below = held.lower_bound(folded);
  return folded.ends_with('/') && below != held.end() && below->starts_with(folded);
}

class FolderChecker {
 public:
  FolderChecker(FileSystem& fs, Crypto& crypto, Console& console,
                const std::atomic<bool>& cancelled, const std::optional<std::string>& password)
      : fs_(fs), crypto_(crypto), prompt_(console), cancelled_(cancelled), password_(password) {}

  ArchiveCheck Check(const std::string& path, sets::ArchiveKind kind) {
    ArchiveCheck check;
    RestoreOptions options;
    options.command = RestoreCommand::Test;
    options.password = password_;
    options.archive = path;
    Verdict verdict(fs_, prompt_, none_, {});
    RestoreContext run{.options = options,
                       .fs = fs_,
                       .crypto = crypto_,
                       .console = prompt_,
                       .verdict = verdict,
                       .cancelled = cancelled_};
    run.archive = path;
    try {
      ReadArchive(run);
      const std::optional<std::string> password = TestEntries(run, check);
      if (kind == sets::ArchiveKind::Incremental) CheckChain(run, password, check);
    } catch (const FileError& error) {
      Judge(check, Soundness::Damaged, Filled(texts::ArchiveUnreadable, {path, error.what()}));
    } catch (const RunError& error) {
      if (error.ExitCode() == kExitInterrupted) throw;
      Judge(check, Soundness::Damaged, error.what());
    }
    return check;
  }

 private:
  // Entry by entry, as t tests them. Returns the password that opens the archive; none when
  // nothing is encrypted or none fits.
  std::optional<std::string> TestEntries(RestoreContext& run, ArchiveCheck& check) {
    std::vector<size_t> all(run.entries.size());
    std::iota(all.begin(), all.end(), size_t{0});
    std::optional<std::string> password;
    try {
      password = FindPassword(run, all, texts::PasswordWrongTry).password;
    } catch (const RunError& error) {
      if (error.ExitCode() == kExitInterrupted) throw;
      Judge(check, Soundness::Doubtful,
            error.ExitCode() == kExitBadPassword ? texts::CheckPasswordWrong
                                                 : texts::CheckPasswordMissing);
      return std::nullopt;
    }
    const std::vector<Planned> files = Readable(run, all);
    const auto isFile = [&run](size_t i) { return !run.entries[i].IsFolder(); };
    const size_t unknown = std::count_if(all.begin(), all.end(), isFile) - files.size();
    check.files = ReadEntries(run, password, files, EntryAction::Check).files;
    const std::vector<std::string> warnings = run.warnings.InEntryOrder();
    for (const std::string& warning : warnings)
      Judge(check, warnings.size() > unknown ? Soundness::Damaged : Soundness::Doubtful, warning);
    return password;
  }

  // The chain back to its full by the engine's links; each name of the state list held by
  // some archive of that chain.
  void CheckChain(RestoreContext& run, const std::optional<std::string>& password,
                  ArchiveCheck& check) {
    ChainRestoreStep chain;
    try {
      if (!chain.Open(fs_, run.archive, run.entries)) return;
    } catch (const ChainLinkError& error) {
      Judge(check, Soundness::Damaged, Filled(texts::CheckChainBroken, {error.Link()}));
      return;
    }
    const auto names = chain.StateNames(fs_, crypto_, password);
    if (!names) return Judge(check, Soundness::Doubtful, texts::CheckStateListUnreadable);
    std::set<std::string> held;
    for (const ArchiveEntry& entry : chain.Entries()) held.insert(FoldCase(entry.record.name));
    for (const std::string& name : *names)
      if (!Held(held, name))
        Judge(check, Soundness::Doubtful,
              Filled(texts::CheckStateNameMissing, {name, chain.FirstName()}));
  }

  FileSystem& fs_;
  Crypto& crypto_;
  NoPrompt prompt_;
  NoRecord none_;
  const std::atomic<bool>& cancelled_;
  const std::optional<std::string>& password_;
};

}  // namespace

FolderCheck CheckFolder(FileSystem& fs, Crypto& crypto, Console& console,
                        const std::atomic<bool>& cancelled, const std::string& folder,
                        const std::optional<std::string>& password) {
  if (!FolderExists(fs, folder)) throw FileError(texts::NotFound, FileError::NotFound);
  FolderCheck result;
  result.folder = folder;
  const std::vector<sets::ListedArchive> listed = sets::ListSetFolder(fs, folder, false);
  for (const sets::ListedArchive& one : listed)
    if (!one.archive.record) result.withoutRecord.push_back(one.archive.name);
  FolderChecker checker(fs, crypto, console, cancelled, password);
  for (sets::BackupSet& set : sets::GroupIntoSets(sets::ArchivesOf(listed))) {
    SetCheck checked;
    checked.set = std::move(set);
    for (const sets::SetMember& member : checked.set.archives) {
      checked.archives.push_back(checker.Check(folder + member.name, member.record.kind));
      checked.soundness = std::max(checked.soundness, checked.archives.back().soundness);
    }
    result.soundness = std::max(result.soundness, checked.soundness);
    result.sets.push_back(std::move(checked));
  }
  // A folder with nothing to judge is no proof that the backups are sound.
  if (result.sets.empty()) result.soundness = Soundness::Doubtful;
  return result;
}

}  // namespace dszip
