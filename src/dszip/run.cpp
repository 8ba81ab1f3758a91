#include "dszip/run.h"

#include <chrono>
#include <cstdio>

#include "dszip/archive_writer.h"
#include "dszip/command_line.h"
#include "dszip/deflate_pool.h"
#include "dszip/restore.h"
#include "dszip/selection.h"
#include "dszip/text.h"
#include "dszip/texts.h"

namespace dszip {
namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kWarningsOnScreen = 15;

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string DateTimeText(const CivilTime& t) {
  return TwoDigits(t.day) + "." + TwoDigits(t.month) + "." + std::to_string(t.year) + " " +
         TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string RandomTag(Crypto& crypto) {
  uint8_t bytes[4] = {};
  crypto.Random(bytes, sizeof bytes);
  char text[9] = {};
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

// Removes the temporary file unless it became the archive.
class TemporaryFile {
 public:
  TemporaryFile(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  ~TemporaryFile() {
    out.reset();
    if (!kept_) try {
        fs_.Delete(path_);
      } catch (const FileError&) {
      }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }
  std::unique_ptr<OutputFile> out;

 private:
  FileSystem& fs_;
  std::string path_;
  bool kept_ = false;
};

struct Report {
  std::string archive;
  uint64_t files = 0, folders = 0, bytes = 0, archiveSize = 0;
  std::vector<std::string> warnings;
  std::string message;
  int exitCode = kExitOk;
};

class Run {
 public:
  Run(FileSystem& fs, Crypto& crypto, Console& console, const std::atomic<bool>& cancelled)
      : fs_(fs), crypto_(crypto), console_(console), cancelled_(cancelled), started_(Clock::now()),
        startTime_(fs.Now()) {}

  int Execute(const std::vector<std::string>& arguments) {
    Options options;
    try {
      options = ParseCommandLine(arguments);
    } catch (const RunError& error) {
      console_.Line(error.what());
      return error.exitCode();  // refused before anything is written, the log included
    }
    try {
      Backup(options);
      report_.exitCode = report_.warnings.empty() ? kExitOk : kExitWarning;
    } catch (const RunError& error) {
      report_.exitCode = error.exitCode();
      report_.message = error.what();
    } catch (const FileError& error) {
      report_.exitCode = kExitFatal;
      report_.message = Format(texts::WriteFailed, error.what());
    } catch (const std::bad_alloc&) {
      report_.exitCode = kExitFatal;
      report_.message = Format(texts::WriteFailed, "kein Speicher");
    } catch (const std::exception& error) {
      report_.exitCode = kExitFatal;
      report_.message = error.what();
    }
    Finish();
    return report_.exitCode;
  }

 private:
  void Backup(const Options& options) {
    const std::string archive = fs_.FullPath(options.archive);
    report_.archive = archive;
    if (options.password) console_.Line(texts::EncryptionNote);
    if (fs_.Stat(archive)) throw RunError(kExitArchiveExists, Format(texts::ArchiveExists, archive));

    const Selection selection = SelectSources(fs_, options, archive);
    report_.warnings = selection.warnings;
    if (selection.items.empty()) throw RunError(kExitNothingToDo, texts::NothingToArchive);
    totalFiles_ = selection.files;
    totalBytes_ = selection.bytes;

    TemporaryFile temporary(fs_, TemporaryName(archive, RandomTag(crypto_)));
    try {
      temporary.out = fs_.CreateNew(temporary.path());
    } catch (const FileError& error) {
      throw RunError(kExitArchiveExists, Format(texts::ArchiveNotCreated, archive, error.what()));
    }
    WriteSettings settings{options.level, options.password, WorkerCount()};
    WriteResult written = WriteArchive(fs_, crypto_, selection, settings, *temporary.out,
                                       [this](uint64_t bytes, uint64_t files) { ShowProgress(files, bytes); });
    report_.warnings.insert(report_.warnings.end(), written.warnings.begin(), written.warnings.end());
    temporary.out->Flush();
    temporary.out->Close();
    temporary.out.reset();

    console_.Progress(texts::Verifying);
    VerifyArchive(fs_, crypto_, temporary.path(), written.entries, settings.threads,
                  [this, &written](uint64_t done) { ShowVerifyProgress(done, written.archiveSize); });
    CheckCancelled();
    try {
      fs_.MoveNoReplace(temporary.path(), archive);
    } catch (const FileError& error) {
      throw RunError(kExitArchiveExists, error.kind() == FileError::Exists
                                             ? Format(texts::ArchiveExists, archive)
                                             : Format(texts::ArchiveNotCreated, archive, error.what()));
    }
    temporary.Keep();
    Count(written);
    AfterArchiving(options, selection, written.entries);
  }

  void Count(const WriteResult& written) {
    for (const WrittenEntry& entry : written.entries) {
      if (entry.record.name.back() == '/')
        ++report_.folders;
      else
        ++report_.files;
      report_.bytes += entry.record.size;
    }
    report_.archiveSize = written.archiveSize;
  }

  // Only files that went in verified and look as they did when they were read.
  void AfterArchiving(const Options& options, const Selection& selection,
                      const std::vector<WrittenEntry>& entries) {
    if (!options.clearArchive && !options.move) return;
    for (const WrittenEntry& entry : entries) {
      const Item& item = selection.items[entry.item];
      if (item.IsFolder()) continue;
      const auto now = fs_.Stat(item.path);
      const bool same = entry.unchanged && now && now->size == item.info.size &&
                        now->modified == item.info.modified;
      if (options.clearArchive) Apply(same, texts::NotCleared, item.path, [&] {
          fs_.SetAttributes(item.path, now->attributes & ~kAttrArchive);
        });
      if (options.move) Apply(same, texts::NotDeleted, item.path, [&] { fs_.Delete(item.path); });
    }
  }

  template <typename Action>
  void Apply(bool same, const char* warning, const std::string& path, Action action) {
    if (!same) {
      report_.warnings.push_back(Format(warning, path, texts::ChangedSince));
      return;
    }
    try {
      action();
    } catch (const FileError& error) {
      report_.warnings.push_back(Format(warning, path, error.what()));
    }
  }

  void CheckCancelled() {
    if (cancelled_.load()) throw RunError(kExitInterrupted, texts::Interrupted);
  }

  double Seconds() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }

  bool TimeForProgress() {
    const auto now = Clock::now();
    if (now - lastProgress_ < std::chrono::milliseconds(250)) return false;
    lastProgress_ = now;
    return true;
  }

  void ShowProgress(uint64_t files, uint64_t bytes) {
    CheckCancelled();
    if (!TimeForProgress()) return;
    const int percent = totalBytes_ == 0 ? 100 : static_cast<int>(std::min<uint64_t>(100, bytes * 100 / totalBytes_));
    console_.Progress("Dateien " + GroupedNumber(files) + "/" + GroupedNumber(totalFiles_) + "  " +
                      ByteSize(bytes) + "/" + ByteSize(totalBytes_) + "  " + std::to_string(percent) +
                      " %  " + ByteSize(static_cast<uint64_t>(static_cast<double>(bytes) / std::max(Seconds(), 0.001))) + "/s");
  }

  void ShowVerifyProgress(uint64_t done, uint64_t total) {
    CheckCancelled();
    if (!TimeForProgress()) return;
    console_.Progress(std::string(texts::Verifying) + " " +
                      std::to_string(total == 0 ? 100 : done * 100 / total) + " %");
  }

  std::string ResultText() const {
    switch (report_.exitCode) {
      case kExitOk: return texts::ResultOk;
      case kExitWarning: return texts::ResultWarning;
      case kExitNothingToDo: return texts::ResultNothing;
      case kExitInterrupted: return texts::ResultInterrupted;
      default: return texts::ResultFailed;
    }
  }

  void Finish() {
    const double seconds = Seconds();
    std::vector<std::string> lines;
    lines.push_back("Archiv: " + report_.archive);
    if (report_.exitCode <= kExitWarning) {
      const uint64_t percent = report_.bytes == 0 ? 100 : report_.archiveSize * 100 / report_.bytes;
      lines.push_back("Dateien: " + GroupedNumber(report_.files) + ", Ordner: " + GroupedNumber(report_.folders) +
                      ", Daten: " + ByteSize(report_.bytes) + ", Archiv: " + ByteSize(report_.archiveSize) +
                      " (" + std::to_string(percent) + " %)");
      lines.push_back("Dauer: " + Decimal1(seconds) + " s, " +
                      ByteSize(static_cast<uint64_t>(static_cast<double>(report_.bytes) / std::max(seconds, 0.001))) + "/s");
    }
    if (!report_.warnings.empty()) {
      lines.push_back("Warnungen (" + std::to_string(report_.warnings.size()) + "):");
      for (const std::string& warning : report_.warnings) lines.push_back("  " + warning);
    }
    if (!report_.message.empty()) lines.push_back(report_.message);
    lines.push_back("Ergebnis: " + ResultText() + " (Exit-Code " + std::to_string(report_.exitCode) + ")");

    console_.Progress("");
    std::string log = "=== dszip " + DateTimeText(fs_.ToLocalTime(startTime_)) + " bis " +
                      DateTimeText(fs_.ToLocalTime(fs_.Now())) + "\r\n";
    // The console summary fits one screen; the log names every warning.
    size_t warningsShown = 0;
    for (const std::string& line : lines) {
      log += line + "\r\n";
      const bool warning = line.rfind("  ", 0) == 0;
      if (warning && ++warningsShown == kWarningsOnScreen + 1)
        console_.Line(Format(texts::MoreWarnings, std::to_string(report_.warnings.size() - kWarningsOnScreen)));
      if (!warning || warningsShown <= kWarningsOnScreen) console_.Line(line);
    }
    if (report_.archive.empty()) return;
    try {
      fs_.AppendText(FolderOf(report_.archive) + "dszip.log", log);
    } catch (const FileError& error) {
      console_.Line("dszip.log: " + std::string(error.what()));
    }
  }

  FileSystem& fs_;
  Crypto& crypto_;
  Console& console_;
  const std::atomic<bool>& cancelled_;
  Clock::time_point started_, lastProgress_;
  uint64_t startTime_;
  uint64_t totalFiles_ = 0, totalBytes_ = 0;
  Report report_;
};

}  // namespace

namespace {

// x, e, t, l and a dropped archive go to the restore module.
int RunRestoreCommand(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
                      Console& console, const std::atomic<bool>& cancelled) {
  try {
    return RunRestore(ParseRestoreCommandLine(arguments), fs, crypto, console, cancelled);
  } catch (const RunError& error) {
    console.Line(error.what());
    return error.exitCode();
  }
}

}  // namespace

int RunDszip(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
             Console& console, const std::atomic<bool>& cancelled) {
  if (IsRestoreCommand(arguments)) return RunRestoreCommand(arguments, fs, crypto, console, cancelled);
  return Run(fs, crypto, console, cancelled).Execute(arguments);
}

}  // namespace dszip
