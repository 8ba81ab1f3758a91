#include "dszip/backup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <set>

#include "core/filled.h"
#include "dszip/backup_record.h"
#include "dszip/command_line.h"
#include "dszip/selection.h"
#include "dszip/texts.h"
#include "engine/password.h"
#include "engine/sets/set_folder.h"
#include "engine/sets/set_texts.h"
#include "engine/target_folder.h"
#include "engine/temporary_file.h"
#include "engine/text.h"
#include "engine/texts.h"
#include "engine/zip_errors.h"
#include "zip/parallel.h"
#include "zip/zip_writer.h"

namespace dszip {
namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kWarningsOnScreen = 15;

std::string RandomTag(Crypto& crypto) {
  uint8_t bytes[4] = {};
  crypto.Random(bytes, sizeof bytes);
  char text[9] = {};
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

struct Report {
  std::string archive;
  std::vector<std::string> sources;
  bool encrypted = false;
  uint64_t files = 0, folders = 0, bytes = 0, archiveSize = 0;
  std::vector<std::string> notes;  // said once in the summary, no warning
  std::vector<std::string> warnings;
  std::vector<std::string> thinnedOut, keptArchives;  // -behalten: every one named, uncut
  std::string message;
  int exitCode = kExitOk;
};

// The progress line while archiving and verifying, at most four times a second.
class Progress {
 public:
  explicit Progress(Console& console) : console_(console), started_(Clock::now()) {}

  void SetTotals(uint64_t files, uint64_t bytes) {
    totalFiles_ = files;
    totalBytes_ = bytes;
  }

  double Seconds() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }

  void Archived(uint64_t files, uint64_t bytes) {
    if (!Due()) return;
    const int percent = totalBytes_ == 0
                            ? 100
                            : static_cast<int>(std::min<uint64_t>(100, bytes * 100 / totalBytes_));
    const double rate = static_cast<double>(bytes) / std::max(Seconds(), 0.001);
    console_.Progress(Filled(
        texts::BackupProgress,
        {GroupedNumber(files), GroupedNumber(totalFiles_), ByteSize(bytes), ByteSize(totalBytes_),
         std::to_string(percent), ByteSize(static_cast<uint64_t>(rate))}));
  }

  void Verified(uint64_t done, uint64_t total) {
    if (!Due()) return;
    console_.Progress(
        Filled(texts::PercentDone,
               {texts::Verifying, std::to_string(total == 0 ? 100 : done * 100 / total)}));
  }

 private:
  bool Due() {
    const auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(250)) return false;
    last_ = now;
    return true;
  }

  Console& console_;
  Clock::time_point started_, last_;
  uint64_t totalFiles_ = 0, totalBytes_ = 0;
};

class Backup {
 public:
  Backup(FileSystem& fs, Crypto& crypto, Console& console, const std::atomic<bool>& cancelled,
         Verdict& verdict)
      : fs_(fs), crypto_(crypto), console_(console), cancelled_(cancelled), verdict_(verdict),
        progress_(console) {}

  int Execute(const std::vector<std::string>& arguments) {
    Options options;
    try {
      options = ParseCommandLine(arguments);
    } catch (const RunError& error) {
      // Refused before anything is written beside the archive; the central log still learns.
      const std::string message = error.what();
      return verdict_.Refuse(error.ExitCode(), {message}, {message.substr(0, message.find('\n'))});
    }
    try {
      Perform(options);
      report_.exitCode = report_.warnings.empty() ? kExitOk : kExitWarning;
    } catch (const RunError& error) {
      report_.exitCode = error.ExitCode();
      report_.message = error.what();
    } catch (const FileError& error) {
      report_.exitCode = kExitFatal;
      report_.message = Filled(texts::WriteFailed, {error.what()});
    } catch (const std::bad_alloc&) {
      report_.exitCode = kExitFatal;
      report_.message = Filled(texts::WriteFailed, {texts::NoMemory});
    } catch (const zip::Error& error) {
      const RunError ended = AsRunError(error);
      report_.exitCode = ended.ExitCode();
      report_.message = ended.what();
    } catch (const std::exception& error) {
      report_.exitCode = kExitFatal;
      report_.message = error.what();
    }
    return verdict_.Deliver(SummaryAfter(progress_.Seconds()),
                            {.logBesideArchive = true, .listedOnScreen = kWarningsOnScreen});
  }

 private:
  void Perform(const Options& options) {
    const std::string archive = fs_.FullPath(options.archive);
    report_.archive = archive;
    report_.sources = options.sources;
    report_.encrypted = options.password.has_value();
    if (options.password) console_.Line(texts::EncryptionNote);
    if (options.password && NeedsCodePageNote(*options.password)) Note(texts::CodePageNote);
    CheckReachable(fs_, FolderOf(archive));
    if (const auto there = fs_.Stat(archive); there && !JustMadeByAnotherRun(archive, *there))
      throw RunError(kExitArchiveExists, Filled(texts::ArchiveExists, {archive}));

    const std::vector<ProtectedFolder> protectedFolders{
        {FolderOf(archive), texts::ArchiveFolderReason},
        {verdict_.CentralLogFolder(), texts::CentralLogFolderReason},
    };
    Selection selection = SelectSources(fs_, options, archive, protectedFolders);
    report_.warnings = selection.warnings;
    report_.notes.insert(report_.notes.end(), selection.notes.begin(), selection.notes.end());
    if (selection.missing.size() == options.sources.size())
      throw RunError(kExitFatal, Filled(texts::NoSourceFound, {Joined(selection.missing)}));
    if (selection.items.empty()) throw RunError(kExitNothingToDo, texts::NothingToArchive);
    progress_.SetTotals(selection.files, selection.bytes);

    PrepareFolder(FolderOf(archive));
    // Backup sets: the record for the comment and, with -ao, the state list as the last item.
    const SetEntry setEntry = PrepareSetEntry(fs_, crypto_, options, FolderOf(archive), selection);
    for (const std::string& note : setEntry.notes) Note(note);
    Warn(setEntry.warnings);
    WithStateList sources(fs_, setEntry.stateList);
    std::optional<TemporaryFile> created;
    try {
      created.emplace(fs_,
                      TemporaryName(archive, TemporaryTag(fs_.ProcessId(), RandomTag(crypto_))));
    } catch (const FileError& error) {
      throw RunError(kExitArchiveExists, Filled(texts::ArchiveNotCreated, {archive, error.what()}));
    }
    TemporaryFile& temporary = *created;
    const WriteSettings settings{.level = options.level,
                                 .password = options.password,
                                 .threads = WorkerCount(),
                                 .identify = options.move || options.clearArchive,
                                 .comment = setEntry.comment};
    WriteResult written = WriteArchive(sources, crypto_, selection.items, settings, *temporary.out,
                                       [this](uint64_t bytes, uint64_t files) {
                                         CheckCancelled();
                                         progress_.Archived(files, bytes);
                                       });
    for (const WriteWarning& warning : written.warnings)
      report_.warnings.push_back(WarningText(warning, selection.items));
    temporary.out->Flush();
    temporary.out->Close();
    temporary.out.reset();

    console_.Progress(texts::Verifying);
    VerifyArchive(
        sources, crypto_, temporary.Path(), written.entries, settings.threads,
        [this, &written](uint64_t done) {
          CheckCancelled();
          progress_.Verified(done, written.archiveSize);
        },
        setEntry.comment);
    DropStateList(written.entries, selection.items);
    CheckCancelled();
    // Free when the run started: a name taken since then is another run's, not a mistake.
    const std::string placed = Place(temporary.Path(), archive);
    temporary.Keep();
    if (placed != archive) {
      Note(Filled(texts::NameTakenMeanwhile, {archive, placed}));
      report_.archive = placed;
    }
    Count(written);
    for (const WrittenEntry& entry : written.entries)
      if (ThroughLink(selection.items[entry.item], entry))
        Note(Filled(texts::FileThroughLink, {selection.items[entry.item].path}));
    AfterArchiving(options, selection, written.entries);
    if (options.keep) Thin(options, placed, selection, written);
  }

  // Two launchers, or two computers, that looked for the first free name at once: the one
  // that starts dszip second finds the other's archive there, made moments ago. Any other file
  // under the name is the user's, and the run refuses it.
  bool JustMadeByAnotherRun(const std::string& archive, const FileInfo& there) {
    constexpr int64_t kMoments = int64_t{10} * 60;
    const auto record = sets::ReadArchiveRecord(fs_, archive, there.size);
    if (!record || record->id.empty()) return false;
    const int64_t age = UnixSeconds(fs_.Now()) - sets::UtcSeconds(record->made);
    return age >= 0 && age < kMoments;
  }

  std::string Place(const std::string& temporary, const std::string& archive) {
    try {
      return MoveToFreeName(fs_, temporary, archive);
    } catch (const FileError& error) {
      throw RunError(kExitArchiveExists,
                     error.Is(FileError::Exists)
                         ? Filled(texts::ArchiveExists, {archive})
                         : Filled(texts::ArchiveNotCreated, {archive, error.what()}));
    }
  }

  // Only now, with this run's archive verified and in place; a failed run never gets here.
  void Thin(const Options& options, const std::string& archive, const Selection& selection,
            const WriteResult& written) {
    ThinningReport thinned = ThinAfterRun(fs_, options, archive, selection, written.warnings);
    report_.notes.insert(report_.notes.end(), thinned.notes.begin(), thinned.notes.end());
    Warn(thinned.warnings);
    report_.thinnedOut = std::move(thinned.deleted);
    report_.keptArchives = std::move(thinned.kept);
  }

  void Warn(const std::vector<std::string>& warnings) {
    report_.warnings.insert(report_.warnings.end(), warnings.begin(), warnings.end());
  }

  // The folder made when missing, and what killed runs left there removed.
  void PrepareFolder(const std::string& folder) {
    const std::string created = MakeFolder(fs_, folder);
    if (!created.empty()) Note(Filled(texts::TargetFolderCreated, {created}));
    std::vector<std::string> removed;
    RemoveLeftovers(fs_, folder, removed);
    for (const std::string& path : removed) Note(Filled(texts::LeftoverRemoved, {path}));
  }

  // Said once, in the summary on the console and in the logs.
  void Note(const std::string& text) { report_.notes.push_back(text); }

  // Every folder that went in, whether as an entry of its own or as part of a name.
  void Count(const WriteResult& written) {
    std::set<std::string> folders;
    for (const WrittenEntry& entry : written.entries) {
      const std::string& name = entry.record.name;
      for (size_t slash = name.find('/'); slash != std::string::npos;
           slash = name.find('/', slash + 1))
        folders.insert(name.substr(0, slash));
      if (name.back() != '/') ++report_.files;
      report_.bytes += entry.record.size;
    }
    report_.folders = folders.size();
    report_.archiveSize = written.archiveSize;
  }

  // A file link's target may lie outside every source, and where the link cannot be told apart
  // from it (under Wine a handle never can), acting on the link acts on the target.
  static bool ThroughLink(const Item& item, const WrittenEntry& entry) {
    return !item.IsFolder() && (entry.read.linked || (item.info.attributes & kAttrReparsePoint));
  }

  // Only files that went in verified, read whole without a change, and still as they were read:
  // the check and the act go through one handle that admits no writer and reaches the same file.
  void AfterArchiving(const Options& options, const Selection& selection,
                      const std::vector<WrittenEntry>& entries) {
    if (!options.clearArchive && !options.move) return;
    for (const WrittenEntry& entry : entries) {
      const Item& item = selection.items[entry.item];
      if (item.IsFolder() || ThroughLink(item, entry)) continue;
      if (options.clearArchive)
        Apply(entry.unchanged, texts::NotCleared, item.path,
              [&] { fs_.ClearArchiveIfUnchanged(item.path, entry.read); });
      if (options.move)
        Apply(entry.unchanged, texts::NotDeleted, item.path,
              [&] { fs_.DeleteIfUnchanged(item.path, entry.read); });
    }
  }

  template <typename Action>
  void Apply(bool same, const char* warning, const std::string& path, Action action) {
    if (!same) {
      report_.warnings.push_back(Filled(warning, {path, texts::ChangedSince}));
      return;
    }
    try {
      action();
    } catch (const FileError& error) {
      report_.warnings.push_back(Filled(warning, {path, error.what()}));
    }
  }

  void CheckCancelled() {
    if (cancelled_.load()) throw RunError(kExitInterrupted, texts::Interrupted);
  }

  // What the verdict says of a backup: the sources, the counts and the time below the archive.
  Summary SummaryAfter(double seconds) const {
    Summary summary{.archive = report_.archive,
                    .lines = {},
                    .notes = report_.notes,
                    .warnings = report_.warnings,
                    .wholeLists = {},
                    .message = report_.message,
                    .exitCode = report_.exitCode};
    if (!report_.sources.empty()) {
      summary.lines.push_back(Filled(texts::SummarySources, {Joined(report_.sources)}));
      summary.lines.push_back(Filled(
          texts::SummaryEncrypted, {report_.encrypted ? texts::EncryptedYes : texts::EncryptedNo}));
    }
    if (report_.exitCode <= kExitWarning) {
      const uint64_t percent = report_.bytes == 0 ? 100 : report_.archiveSize * 100 / report_.bytes;
      summary.lines.push_back(Filled(
          texts::SummaryCounts,
          {GroupedNumber(report_.files), GroupedNumber(report_.folders), ByteSize(report_.bytes),
           ByteSize(report_.archiveSize), std::to_string(percent)}));
      // Below a tenth of a second a rate says nothing.
      std::string duration = Filled(texts::SummaryDuration, {Decimal1(seconds)});
      if (seconds >= 0.1)
        duration +=
            Filled(texts::SummaryRate,
                   {ByteSize(static_cast<uint64_t>(static_cast<double>(report_.bytes) / seconds))});
      summary.lines.push_back(duration);
    }
    summary.wholeLists = {{sets::texts::DeletedHeading, report_.thinnedOut},
                          {sets::texts::KeptHeading, report_.keptArchives}};
    return summary;
  }

  FileSystem& fs_;
  Crypto& crypto_;
  Console& console_;
  const std::atomic<bool>& cancelled_;
  Verdict& verdict_;
  Progress progress_;
  Report report_;
};

}  // namespace

int RunBackup(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
              Console& console, const std::atomic<bool>& cancelled, Verdict& verdict) {
  return Backup(fs, crypto, console, cancelled, verdict).Execute(arguments);
}

}  // namespace dszip
