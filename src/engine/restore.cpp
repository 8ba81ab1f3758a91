#include "engine/restore.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <limits>
#include <optional>

#include "core/filled.h"
#include "engine/extraction.h"
#include "engine/folder_test.h"
#include "engine/listing.h"
#include "engine/restore_context.h"
#include "engine/restore_hints.h"
#include "engine/restore_password.h"
#include "engine/restore_plan.h"
#include "engine/text.h"
#include "engine/texts.h"

namespace dszip {
namespace {

using Clock = std::chrono::steady_clock;

class Restore {
 public:
  Restore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
          const std::atomic<bool>& cancelled, Verdict& verdict)
      : options_(options), run_{.options = options_,
                                .fs = fs,
                                .crypto = crypto,
                                .console = console,
                                .verdict = verdict,
                                .cancelled = cancelled} {}

  int Execute() {
    bool finished = false;
    int exitCode = kExitOk;
    std::string message;
    try {
      Perform();
      finished = true;
    } catch (const RunError& error) {
      exitCode = error.ExitCode();
      message = error.what();
    } catch (const FileError& error) {
      exitCode = kExitFatal;
      message = Filled(texts::RestoreFailed, {error.what()});
    } catch (const std::bad_alloc&) {
      exitCode = kExitFatal;
      message = Filled(texts::RestoreFailed, {texts::NoMemory});
    } catch (const std::exception& error) {
      exitCode = kExitFatal;
      message = Filled(texts::RestoreFailed, {error.what()});
    }
    Summary summary{.archive = run_.archive,
                    .lines = {},
                    .notes = run_.notes,
                    .warnings = run_.warnings.InEntryOrder(),
                    .wholeLists = {},
                    .message = message};
    summary.exitCode = !finished ? exitCode : summary.warnings.empty() ? kExitOk : kExitWarning;
    summary.lines = Lines(summary.exitCode);
    // A night restored into a full folder can keep hundreds of files: the logs name them all.
    return run_.verdict.Deliver(summary, {.listedOnScreen = run_.chained ? kKeptOnScreen : kAll});
  }

 private:
  void Perform() {
    run_.archive = run_.fs.FullPath(run_.options.archive);
    ReadArchive(run_);
    run_.chained = run_.options.chain && run_.chain.Open(run_.fs, run_.archive, run_.entries);
    if (run_.chained) run_.entries = run_.chain.Entries();
    TakeFolderAsTarget(run_, options_);
    std::vector<size_t> selected = SelectedEntries(run_);
    if (run_.chained && !selected.empty()) selected = TakeChain(selected);
    if (selected.empty()) {
      AddNote(TargetBackslashNote(options_));
      throw RunError(kExitWarning, texts::NothingSelected);
    }
    switch (run_.options.command) {
      case RestoreCommand::List: return ListEntries(run_, selected);
      case RestoreCommand::Test: return Test(selected);
      case RestoreCommand::Extract:
      case RestoreCommand::ExtractFlat: return Extract(selected);
    }
  }

  void Test(const std::vector<size_t>& selected) {
    AskPassword(selected, texts::PasswordWrongTry);
    const std::vector<Planned> files = Readable(run_, selected);
    run_.console.Progress(texts::Testing);
    restored_ = ReadEntries(run_, password_, files, EntryAction::Check);
  }

  void Extract(const std::vector<size_t>& selected) {
    AskPassword(selected, texts::PasswordWrong);
    RestorePlan plan = PlanExtraction(run_, selected);
    target_ = plan.target;
    if (run_.chained) {
      const std::string note = FilledTargetNote(run_, target_);
      if (!note.empty()) run_.verdict.Say(note);
    }
    PrepareFolders(run_, plan);
    run_.console.Progress(texts::Extracting);
    restored_ = ReadEntries(run_, password_, plan.files, EntryAction::Write);
    FinishFolders(run_, plan.folders);
    AddNote(ChainNote(run_, target_));
  }

  void AddNote(const std::string& note) {
    if (!note.empty()) run_.notes.push_back(note);
  }

  // -kette: one password for the whole chain, asked once, before the state list is read; l
  // needs one only for an encrypted state list.
  std::vector<size_t> TakeChain(const std::vector<size_t>& selected) {
    const bool listing = run_.options.command == RestoreCommand::List;
    AskPassword(run_.chain.WithStateList(listing ? std::vector<size_t>() : selected),
                texts::PasswordWrong);
    run_.notes.push_back(
        Filled(texts::ChainNote, {std::to_string(run_.chain.Archives()), run_.chain.FirstName()}));
    std::vector<std::string> missing;
    std::vector<size_t> taken = run_.chain.Take(run_.fs, run_.crypto, password_, selected, missing);
    for (const std::string& name : missing)
      if (SelectedByMasks(run_, name))
        run_.warnings.Add(run_.entries.size(), Filled(texts::NotInChain, {name}));
    return taken;
  }

  void AskPassword(const std::vector<size_t>& selected, const char* wrong) {
    if (asked_) return;  // -kette asked for the whole chain already
    asked_ = true;
    FoundPassword found = FindPassword(run_, selected, wrong);
    password_ = std::move(found.password);
    typing_ = found.typing;
  }

  // Below the archive: the target, and what was written or checked in how long; the time at
  // the password prompt is the typist's, not dszip's.
  std::vector<std::string> Lines(int exitCode) const {
    std::vector<std::string> lines;
    if (!target_.empty()) lines.push_back(Filled(texts::SummaryTarget, {target_}));
    if (run_.options.command == RestoreCommand::List || exitCode > kExitWarning) return lines;
    const double seconds = std::chrono::duration<double>(Clock::now() - started_ - typing_).count();
    lines.push_back(
        Filled(run_.options.command == RestoreCommand::Test ? texts::Tested : texts::Extracted,
               {FileCount(restored_.files), ByteSize(restored_.bytes), Decimal1(seconds)}));
    return lines;
  }

  static constexpr size_t kKeptOnScreen = 20;
  static constexpr size_t kAll = std::numeric_limits<size_t>::max();

  RestoreOptions options_;  // x and e may take a first name as the target
  RestoreContext run_;
  Clock::time_point started_ = Clock::now();
  Clock::duration typing_{};
  bool asked_ = false;
  std::optional<std::string> password_;
  std::string target_;
  Restored restored_;
};

}  // namespace

int RunRestore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
               const std::atomic<bool>& cancelled, Verdict& verdict) {
  if (options.folderTest) return RunFolderTest(options, fs, crypto, console, cancelled, verdict);
  return Restore(options, fs, crypto, console, cancelled, verdict).Execute();
}

int RunRestore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
               const std::atomic<bool>& cancelled, runlog::Sink& sink) {
  Verdict verdict(fs, console, sink, CommandWords(options));
  return RunRestore(options, fs, crypto, console, cancelled, verdict);
}

RestoreOptions NightRestore(const std::string& archive, const std::string& target,
                            const std::vector<std::string>& masks, bool replace,
                            const std::optional<std::string>& password) {
  RestoreOptions options;
  options.chain = true;
  options.password = password;
  options.overwrite = replace ? Overwrite::Replace : Overwrite::Warn;
  options.archive = archive;
  options.target = target;
  options.masks = masks;
  // Masks name each folder they take, so they go without subfolders; no mask takes them all.
  options.recurse = masks.empty();
  return options;
}

RestoreOptions FolderTest(const std::string& folder, const std::optional<std::string>& password) {
  RestoreOptions options;
  options.command = RestoreCommand::Test;
  options.folderTest = true;
  options.password = password;
  options.archive = folder;
  return options;
}

std::vector<std::string> CommandWords(const RestoreOptions& options) {
  static constexpr std::array<const char*, 4> kCommands = {"x", "e", "t", "l"};
  std::vector<std::string> words{kCommands.at(static_cast<size_t>(options.command))};
  if (options.chain) words.emplace_back("-kette");
  if (!options.recurse) words.emplace_back("-r-");
  if (options.overwrite == Overwrite::Replace) words.emplace_back("-o+");
  if (options.overwrite == Overwrite::Skip) words.emplace_back("-o-");
  if (options.password) words.emplace_back("-p" + *options.password);
  words.push_back(options.archive);
  if (!options.target.empty()) words.push_back(options.target);
  words.insert(words.end(), options.masks.begin(), options.masks.end());
  return words;
}

}  // namespace dszip
