#include "dszip/restore.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "core/filled.h"
#include "core/two_digits.h"
#include "dszip/chain_restore_step.h"
#include "dszip/mask.h"
#include "dszip/selection.h"
#include "dszip/sets/state_list.h"
#include "dszip/target_folder.h"
#include "dszip/temporary_file.h"
#include "dszip/text.h"
#include "dszip/texts.h"
#include "dszip/zip_errors.h"
#include "zip/parallel.h"
#include "zip/stored_name.h"
#include "zip/zip_reader.h"

namespace dszip {
namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kWriteBuffer = size_t{1} << 20;
// Entries are handed to the cores in runs of about this much archive, read front to back.
constexpr uint64_t kRunBytes = uint64_t{4} << 20;
constexpr size_t kRunEntries = 64;
constexpr int kPasswordTries = 3;
constexpr size_t kPasswordSamples = 8;

std::string MethodName(const ArchiveEntry& e) {
  if (e.encryption == Encryption::Other) return texts::MethodOtherEncryption;
  if (e.encryption == Encryption::Aes && e.aesStrength != 3)
    return "AES-" + std::to_string(64 + 64 * e.aesStrength);
  switch (e.record.method) {
    case 9: return "Deflate64";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 93: return "Zstandard";
    case 95: return "XZ";
    case 98: return "PPMd";
    default: return Filled(texts::MethodNumber, {std::to_string(e.record.method)});
  }
}

std::string FileCount(uint64_t files) {
  return files == 1 ? texts::OneFile : Filled(texts::Files, {GroupedNumber(files)});
}

// Masks select as sources do for a; no mask is "*".
bool Selected(const ArchiveEntry& entry, const std::vector<std::string>& masks, bool recurse) {
  const auto selects = [&](const std::string& mask) {
    return SelectsStoredPath(entry.record.name, entry.IsFolder(), mask, recurse);
  };
  return masks.empty() ? selects("*") : std::any_of(masks.begin(), masks.end(), selects);
}

// The state list an incremental archive carries for x -kette is never written out.
bool IsStateList(const ArchiveEntry& entry) {
  return FoldCase(entry.record.name) == FoldCase(sets::kStateListName);
}

struct Planned {
  size_t entry = 0;
  std::string path;  // full target path
};

class Restore {
 public:
  Restore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
          const std::atomic<bool>& cancelled)
      : options_(options), fs_(fs), crypto_(crypto), console_(console), cancelled_(cancelled) {}

  int Execute() {
    try {
      Perform();
      exitCode_ = warnings_.empty() ? kExitOk : kExitWarning;
    } catch (const RunError& error) {
      exitCode_ = error.ExitCode();
      message_ = error.what();
    } catch (const FileError& error) {
      exitCode_ = kExitFatal;
      message_ = Filled(texts::RestoreFailed, {error.what()});
    } catch (const std::bad_alloc&) {
      exitCode_ = kExitFatal;
      message_ = Filled(texts::RestoreFailed, {texts::NoMemory});
    } catch (const std::exception& error) {
      exitCode_ = kExitFatal;
      message_ = Filled(texts::RestoreFailed, {error.what()});
    }
    Finish();
    return exitCode_;
  }

 private:
  void Perform() {
    archive_ = fs_.FullPath(options_.archive);
    ReadArchiveDirectory();
    chained_ = options_.chain && chain_.Open(fs_, archive_, entries_);  // -kette
    if (chained_) entries_ = chain_.Entries();
    std::vector<size_t> selected;
    for (size_t i = 0; i < entries_.size(); ++i)
      if (Selected(entries_[i], options_.masks, options_.recurse)) selected.push_back(i);
    if (chained_ && !selected.empty()) selected = TakeChain(selected);  // -kette
    if (selected.empty()) throw RunError(kExitWarning, texts::NothingSelected);
    if (options_.command == 'l') return List(selected);
    if (!chained_) password_ = Password(selected);
    std::vector<Planned> files = options_.command == 't' ? Readable(selected) : Plan(selected);
    if (options_.command != 't') files = WithoutExisting(CreateFolders(files));
    console_.Progress(options_.command == 't' ? texts::Testing : texts::Extracting);
    Process(files);
    if (options_.command != 't') FinishFolders();
  }

  void ReadArchiveDirectory() {
    try {
      const auto info = fs_.Stat(archive_);
      if (!info || info->IsFolder()) throw FileError(texts::NotFound, FileError::NotFound);
      archiveSize_ = info->size;
      entries_ = ReadDirectory(*fs_.OpenRead(archive_), archiveSize_);
    } catch (const FileError& error) {
      throw RunError(kExitFatal, Filled(texts::ArchiveUnreadable, {archive_, error.what()}));
    } catch (const zip::Error& error) {
      throw RunError(kExitFatal, Filled(texts::ArchiveUnreadable, {archive_, ReasonText(error)}));
    }
  }

  // -kette: one password for the whole chain, asked once, before the state list is read; l
  // needs one only for an encrypted state list.
  std::vector<size_t> TakeChain(const std::vector<size_t>& selected) {
    password_ =
        Password(chain_.WithStateList(options_.command == 'l' ? std::vector<size_t>() : selected));
    notes_.push_back(
        Filled(texts::ChainNote, {std::to_string(chain_.Archives()), chain_.FirstName()}));
    return chain_.Take(fs_, crypto_, password_, selected);
  }

  // Where an entry lies: with -kette, in one of the chain's archives.
  size_t PartOf(size_t entry) const { return chained_ ? chain_.PartOf(entry) : 0; }
  const std::string& ArchiveOf(size_t entry) const {
    return chained_ ? chain_.ArchiveOf(entry) : archive_;
  }
  bool Before(size_t a, size_t b) const {
    return std::pair(PartOf(a), entries_[a].record.offset) <
           std::pair(PartOf(b), entries_[b].record.offset);
  }

  // Names come from the archive: no control character reaches the console.
  void Warn(size_t entry, std::string text) {
    for (char& c : text)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    const std::lock_guard<std::mutex> lock(mutex_);
    warnings_.emplace_back(entry, std::move(text));
  }

  // The files this reader can decode; the others are named.
  std::vector<Planned> Readable(const std::vector<size_t>& selected) {
    std::vector<Planned> files;
    for (const size_t i : selected) {
      const ArchiveEntry& e = entries_[i];
      if (e.IsFolder()) continue;
      if (!e.Readable())
        Warn(i, Filled(texts::UnknownMethod, {MethodName(e), e.record.name}));
      else
        files.push_back({i, ""});
    }
    return files;
  }

  // Every name checked before anything is written; the target paths of what may be written.
  std::vector<Planned> Plan(const std::vector<size_t>& selected) {
    target_ = options_.dropped          ? CreateDroppedTarget(fs_, archive_)
              : options_.target.empty() ? fs_.FullPath(".")
                                        : fs_.FullPath(options_.target);
    while (target_.size() > 3 && target_.back() == '\\') target_.pop_back();
    std::map<std::string, std::string> seen;  // folded path, the first one's path
    const std::set<size_t> sharing = SharingData();
    std::vector<Planned> files;
    for (const size_t i : selected) {
      const ArchiveEntry& e = entries_[i];
      const SafeName safe = CheckStoredName(e.record.name);
      if (safe.refused) {
        Warn(i, Filled(texts::RefusedName, {NameFlawText(*safe.refused), e.record.name}));
        continue;
      }
      if (safe.path.empty() || IsStateList(e)) continue;  // "./": the target itself
      const bool withPath = options_.command == 'x';
      const std::string relative =
          withPath ? safe.path : safe.path.substr(safe.path.find_last_of('\\') + 1);
      if (e.IsFolder()) {
        if (withPath) folders_.push_back({i, Join(relative)});
        continue;
      }
      if (withPath) {
        const auto [first, isNew] = seen.emplace(FoldCase(relative), relative);
        if (!isNew) {
          const char* reason =
              first->second == relative ? texts::NameRepeated : texts::NameDuplicate;
          Warn(i, Filled(texts::RefusedName, {reason, e.record.name}));
          continue;
        }
      }
      if (!e.Readable()) {
        Warn(i, Filled(texts::UnknownMethod, {MethodName(e), e.record.name}));
        continue;
      }
      if (sharing.count(i)) {
        Warn(i, Filled(texts::EntryDamaged, {e.record.name, texts::SharedData}));
        continue;
      }
      files.push_back({i, Join(relative)});
    }
    return options_.command == 'e' ? WithoutSameNames(files) : files;
  }

  // Entries whose data begins inside another's: a bomb that inflates one stream many times
  // over, each time within its recorded size, fills the disk all the same.
  std::set<size_t> SharingData() const {
    std::vector<size_t> order(entries_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [this](size_t a, size_t b) { return Before(a, b); });
    std::set<size_t> sharing;
    constexpr uint64_t kLocalHeaderSize = 30;
    for (size_t k = 1; k < order.size(); ++k) {
      if (PartOf(order[k - 1]) != PartOf(order[k])) continue;
      const EntryRecord& before = entries_[order[k - 1]].record;
      const uint64_t gap = entries_[order[k]].record.offset - before.offset;
      if (gap < kLocalHeaderSize || gap - kLocalHeaderSize < before.compressedSize)
        sharing.insert(order[k]);
    }
    return sharing;
  }

  std::string Join(const std::string& relative) const {
    return target_ + (target_.back() == '\\' ? "" : "\\") + relative;
  }

  // e puts every file in one folder: a second file of a name meets the first as an existing
  // file would. With -o+ the last one wins, so only it is written.
  std::vector<Planned> WithoutSameNames(const std::vector<Planned>& files) {
    std::map<std::string, size_t> last;
    for (size_t k = 0; k < files.size(); ++k) last[FoldCase(files[k].path)] = k;
    std::map<std::string, size_t> first;
    std::vector<Planned> kept;
    for (size_t k = 0; k < files.size(); ++k) {
      const std::string key = FoldCase(files[k].path);
      const bool isFirst = first.emplace(key, k).second;
      if (options_.overwrite == Overwrite::Replace ? last[key] == k : isFirst)
        kept.push_back(files[k]);
      else if (options_.overwrite == Overwrite::Warn)
        Warn(files[k].entry, Filled(texts::EntryExists, {files[k].path}));
    }
    return kept;
  }

  // The password is tried on the first few encrypted entries: the old encryption's check value
  // is a single byte, which a wrong password matches once in 256 entries.
  std::optional<std::string> Password(const std::vector<size_t>& selected) {
    std::vector<std::pair<const ArchiveEntry*, Bytes>> samples;
    for (size_t k = 0; k < selected.size() && samples.size() < kPasswordSamples; ++k) {
      const ArchiveEntry& entry = entries_[selected[k]];
      if (entry.encryption == Encryption::None || !entry.Readable() || entry.IsFolder()) continue;
      Bytes header = PasswordHeader(selected[k]);
      if (header.size() == PasswordHeaderSize(entry))
        samples.emplace_back(&entry, std::move(header));
    }
    const auto fits = [&](const std::string& password) {
      return std::all_of(samples.begin(), samples.end(), [&](const auto& sample) {
        return PasswordFits(crypto_, password, *sample.first, sample.second);
      });
    };
    const char* wrong = options_.command == 't' ? texts::PasswordWrongTry : texts::PasswordWrong;
    if (samples.empty() || options_.password) {
      if (options_.password && !fits(*options_.password)) throw RunError(kExitBadPassword, wrong);
      return options_.password;
    }
    for (int attempt = 0; attempt < kPasswordTries; ++attempt) {
      const auto asked = Clock::now();
      const auto typed = console_.AskPassword(Filled(texts::PasswordPrompt, {archive_}));
      typing_ += Clock::now() - asked;  // the summary's time is dszip's, not the typist's
      if (!typed) throw RunError(kExitUsage, texts::PasswordNeeded);
      try {
        const std::string password = TypedPassword(*typed);
        if (fits(password)) return password;
        console_.Line(texts::PasswordWrongTry);
      } catch (const RunError& error) {
        console_.Line(error.what());
      }
    }
    throw RunError(kExitBadPassword, wrong);
  }

  // The first bytes of an entry's data; fewer when the entry is damaged.
  Bytes PasswordHeader(size_t index) {
    const ArchiveEntry& entry = entries_[index];
    try {
      const auto file = fs_.OpenRead(ArchiveOf(index));
      SequentialReader in(*file, entry.record.offset);
      SkipLocalHeader(in);
      return in.Read(static_cast<size_t>(
          std::min<uint64_t>(PasswordHeaderSize(entry), entry.record.compressedSize)));
    } catch (const zip::Error&) {
      return {};
    }
  }

  void CreateFolderChain(const std::string& path) {
    const auto info = fs_.Stat(path);
    if (info && info->IsFolder()) return;
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2) CreateFolderChain(path.substr(0, slash));
    try {
      fs_.CreateFolder(path);
    } catch (const FileError& error) {
      if (!error.Is(FileError::Exists)) throw;
    }
  }

  // The target, every folder a file needs and every (empty) folder entry, parents first. A folder
  // that cannot be made is named once; what lies below it is left out without a word of its own.
  std::vector<Planned> CreateFolders(const std::vector<Planned>& files) {
    try {
      CreateFolderChain(target_);
    } catch (const FileError& error) {
      throw RunError(kExitFatal, Filled(texts::TargetNotCreated, {target_, error.what()}));
    }
    std::map<std::string, std::string> needed;
    for (const Planned& file : files)
      for (size_t slash = file.path.find('\\', target_.size() + 1); slash != std::string::npos;
           slash = file.path.find('\\', slash + 1))
        needed.emplace(FoldCase(file.path.substr(0, slash)), file.path.substr(0, slash));
    for (const Planned& folder : folders_) needed.emplace(FoldCase(folder.path), folder.path);
    std::vector<std::string> failed;  // folded, ending in "\"
    const auto below = [&failed](const std::string& key) {
      return std::any_of(failed.begin(), failed.end(),
                         [&key](const std::string& top) { return key.rfind(top, 0) == 0; });
    };
    for (const auto& [key, path] : needed) {
      if (below(key + "\\")) continue;
      try {
        CreateFolderChain(path);
      } catch (const FileError& error) {
        if (error.Is(FileError::DiskFull)) throw;
        Warn(entries_.size(), Filled(texts::EntryNotWritten, {path, error.what()}));
        failed.push_back(key + "\\");
      }
    }
    const auto lost = [&](const Planned& planned) { return below(FoldCase(planned.path) + "\\"); };
    folders_.erase(std::remove_if(folders_.begin(), folders_.end(), lost), folders_.end());
    std::vector<Planned> kept;
    std::remove_copy_if(files.begin(), files.end(), std::back_inserter(kept), lost);
    return kept;
  }

  // Existing files are kept unless -o+ is given; a folder is never replaced by a file.
  // One listing per folder, not a look-up per file: under Wine each look-up of a missing name
  // reads the whole folder. A name this misses still meets the file when it is renamed.
  std::vector<Planned> WithoutExisting(const std::vector<Planned>& files) {
    std::map<std::string, std::map<std::string, FileInfo>> listed;  // by folder, by folded name
    const auto existing = [&](const std::string& path) -> std::optional<FileInfo> {
      const size_t slash = path.find_last_of('\\');
      const std::string folder = path.substr(0, slash);
      auto at = listed.find(folder);
      if (at == listed.end()) {
        at = listed.emplace(folder, std::map<std::string, FileInfo>()).first;
        std::vector<std::string> removed;
        try {
          for (const FolderEntry& entry : RemoveLeftovers(fs_, folder, removed))
            at->second.emplace(FoldCase(entry.name), entry.info);
        } catch (const FileError&) {  // not created: its files are named when written
        }
        for (const std::string& leftover : removed)
          notes_.push_back(Filled(texts::LeftoverRemoved, {leftover}));
      }
      const auto found = at->second.find(FoldCase(path.substr(slash + 1)));
      return found == at->second.end() ? std::nullopt : std::optional<FileInfo>(found->second);
    };
    std::vector<Planned> kept;
    for (const Planned& file : files) {
      const auto info = existing(file.path);
      if (info && info->IsFolder())
        Warn(file.entry, Filled(texts::EntryNotWritten, {file.path, texts::FolderInTheWay}));
      else if (info && options_.overwrite == Overwrite::Warn)
        Warn(file.entry, Filled(texts::EntryExists, {file.path}));
      else if (!info || options_.overwrite == Overwrite::Replace)
        kept.push_back(file);
    }
    return kept;
  }

  // Runs of neighbouring entries, the largest among the first, so that a huge file does not
  // start last.
  void Process(std::vector<Planned> files) {
    std::sort(files.begin(), files.end(),
              [this](const Planned& a, const Planned& b) { return Before(a.entry, b.entry); });
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t first = 0; first < files.size();) {
      size_t last = first + 1;
      uint64_t bytes = entries_[files[first].entry].record.compressedSize;
      while (last < files.size() && last - first < kRunEntries && bytes < kRunBytes &&
             PartOf(files[last].entry) == PartOf(files[first].entry))
        bytes += entries_[files[last++].entry].record.compressedSize;
      runs.emplace_back(first, last);
      first = last;
    }
    for (const Planned& file : files) total_ += entries_[file.entry].record.compressedSize;
    std::stable_sort(runs.begin(), runs.end(), [this, &files](const auto& a, const auto& b) {
      return RunSize(files, a) > RunSize(files, b);
    });
    // Largest and smallest in turn: while some cores inflate a large file, the others create
    // small ones, whose cost lies in the file system.
    std::vector<std::pair<size_t, size_t>> order;
    for (size_t low = 0, high = runs.size(); low < high;) {
      order.push_back(runs[low++]);
      if (low < high) order.push_back(runs[--high]);
    }
    RunJobs(WorkerCount(), order.size(),
            [&](size_t run) { ProcessRun(files, order[run].first, order[run].second); });
  }

  uint64_t RunSize(const std::vector<Planned>& files, const std::pair<size_t, size_t>& run) const {
    uint64_t bytes = 0;
    for (size_t k = run.first; k < run.second; ++k)
      bytes += entries_[files[k].entry].record.compressedSize;
    return bytes;
  }

  void ProcessRun(const std::vector<Planned>& files, size_t first, size_t last) {
    const auto file = fs_.OpenRead(ArchiveOf(files[first].entry));
    SequentialReader in(*file, entries_[files[first].entry].record.offset);
    Inflater inflater;
    Bytes buffer;  // one per core, not one per file
    for (size_t k = first; k < last; ++k) {
      CheckCancelled();
      const ArchiveEntry& entry = entries_[files[k].entry];
      try {
        in.SkipTo(entry.record.offset);
        SkipLocalHeader(in);
        uint64_t counted = in.Position();
        const auto progress = [this, &counted](uint64_t position) { Advance(position, counted); };
        if (options_.command == 't')
          ReadEntryData(in, inflater, crypto_, entry,
                        Secret{.password = password_ ? &*password_ : nullptr}, nullptr, progress);
        else if (!Extract(in, inflater, files[k], buffer, progress))
          continue;
        Count(entry);
      } catch (const zip::Error& error) {
        // The reader's complaints are about one entry; anything else ends the run.
        Warn(files[k].entry,
             Filled(options_.command == 't' ? texts::EntryFailsTest : texts::EntryDamaged,
                    {entry.record.name, ReasonText(error)}));
      }
    }
  }

  void Count(const ArchiveEntry& entry) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++files_;
    bytes_ += entry.record.size;
  }

  void CheckCancelled() {
    if (cancelled_.load()) throw RunError(kExitInterrupted, texts::RestoreInterrupted);
  }

  // Called by the reader now and then, on any thread: stops on Ctrl+C, shows how far it is.
  void Advance(uint64_t position, uint64_t& counted) {
    CheckCancelled();
    done_ += position - counted;
    counted = position;
    const std::unique_lock<std::mutex> lock(progressMutex_, std::try_to_lock);
    if (!lock.owns_lock() || Clock::now() - shown_ < std::chrono::milliseconds(250)) return;
    shown_ = Clock::now();
    const uint64_t percent = total_ == 0 ? 100 : std::min<uint64_t>(100, done_ * 100 / total_);
    console_.Progress(Filled(
        texts::PercentDone,
        {options_.command == 't' ? texts::Testing : texts::Extracting, std::to_string(percent)}));
  }

  // False when the file was not written; the reason is named unless -o- asked for silence.
  bool Extract(SequentialReader& in, Inflater& inflater, const Planned& planned, Bytes& buffer,
               const std::function<void(uint64_t)>& progress);
  void Place(TemporaryFile& output, const Planned& planned);
  void PutBackAttributes(const Planned& planned, uint32_t attributes);
  void FinishFolders();
  void List(const std::vector<size_t>& selected);
  void Finish();
  uint64_t ModifiedTicks(const ArchiveEntry& entry);

  const RestoreOptions& options_;
  FileSystem& fs_;
  Crypto& crypto_;
  Console& console_;
  const std::atomic<bool>& cancelled_;
  Clock::time_point started_ = Clock::now();
  Clock::duration typing_{};  // spent at the password prompt
  std::string archive_, target_, message_;
  uint64_t archiveSize_ = 0;
  std::vector<ArchiveEntry> entries_;
  ChainRestoreStep chain_;
  bool chained_ = false;
  std::vector<Planned> folders_;
  std::optional<std::string> password_;
  std::mutex mutex_, progressMutex_;
  std::atomic<uint64_t> done_{0};  // archive bytes read
  uint64_t total_ = 0;
  Clock::time_point shown_;
  std::vector<std::string> notes_;
  std::vector<std::pair<size_t, std::string>> warnings_;  // by entry, sorted at the end
  uint64_t files_ = 0, bytes_ = 0;
  int exitCode_ = kExitOk;
};

bool Restore::Extract(SequentialReader& in, Inflater& inflater, const Planned& planned,
                      Bytes& buffer, const std::function<void(uint64_t)>& progress) {
  const ArchiveEntry& entry = entries_[planned.entry];
  // Named like the archive's, so that a later run here removes it if this one is killed.
  const std::string temporary =
      TemporaryName(planned.path, TemporaryTag(fs_.ProcessId(), std::to_string(planned.entry)));
  try {
    TemporaryFile output(fs_, temporary);
    buffer.clear();
    buffer.reserve(kWriteBuffer);
    const auto flush = [&] {
      output.out->Write(buffer.data(), buffer.size());
      buffer.clear();
    };
    ReadEntryData(
        in, inflater, crypto_, entry, Secret{.password = password_ ? &*password_ : nullptr},
        [&](const uint8_t* data, size_t size) {
          buffer.insert(buffer.end(), data, data + size);
          if (buffer.size() >= kWriteBuffer) flush();
        },
        progress);
    if (!buffer.empty()) flush();
    output.out->SetModifiedAndAttributes(ModifiedTicks(entry), entry.DosAttributes());
    Place(output, planned);
    return true;
  } catch (const FileError& error) {
    if (error.Is(FileError::DiskFull))
      throw RunError(kExitFatal, Filled(texts::RestoreFailed, {error.what()}));
    if (error.Is(FileError::Exists) && options_.overwrite == Overwrite::Skip) return false;
    Warn(planned.entry, error.Is(FileError::Exists)
                            ? Filled(texts::EntryExists, {planned.path})
                            : Filled(texts::EntryNotWritten, {planned.path, error.what()}));
    return false;
  }
}

// Only now, checked, time and attributes set, does the file take its final name, through the
// open file; an old one is replaced only with -o+.
void Restore::Place(TemporaryFile& output, const Planned& planned) {
  const bool replace = options_.overwrite == Overwrite::Replace;
  std::optional<FileInfo> readOnly;  // an old file whose write protection is lifted for the rename
  if (replace) {
    readOnly = fs_.Stat(planned.path);
    if (readOnly && (readOnly->attributes & kAttrReadOnly))
      fs_.SetAttributes(planned.path, readOnly->attributes & ~kAttrReadOnly);
    else
      readOnly.reset();
  }
  try {
    output.out->Rename(planned.path, replace);
  } catch (const FileError&) {
    // A failed replace leaves the old file as it was: protected again.
    if (readOnly) PutBackAttributes(planned, readOnly->attributes);
    throw;
  }
  output.Keep();
  output.out->Close();
  output.out.reset();
}

void Restore::PutBackAttributes(const Planned& planned, uint32_t attributes) {
  try {
    fs_.SetAttributes(planned.path, attributes);
  } catch (const FileError& error) {
    Warn(planned.entry, Filled(texts::AttributesNotPutBack, {planned.path, error.what()}));
  }
}

uint64_t Restore::ModifiedTicks(const ArchiveEntry& entry) {
  if (entry.exactModified) return *entry.exactModified;
  const uint32_t date = entry.record.dosTime >> 16, time = entry.record.dosTime & 0xFFFF;
  const CivilTime civil{.year = static_cast<int>(date >> 9) + 1980,
                        .month = static_cast<int>(date >> 5 & 15),
                        .day = static_cast<int>(date & 31),
                        .hour = static_cast<int>(time >> 11),
                        .minute = static_cast<int>(time >> 5 & 63),
                        .second = static_cast<int>(time & 31) * 2};
  return fs_.FromLocalTime(civil);
}

// Folder times last, deepest first: writing into a folder changes its time.
void Restore::FinishFolders() {
  std::sort(folders_.begin(), folders_.end(),
            [](const Planned& a, const Planned& b) { return a.path > b.path; });
  for (const Planned& folder : folders_) {
    const ArchiveEntry& entry = entries_[folder.entry];
    try {
      fs_.SetModified(folder.path, ModifiedTicks(entry));
      if (entry.DosAttributes() != 0)
        fs_.SetAttributes(folder.path, entry.DosAttributes() | kAttrFolder);
    } catch (const FileError& error) {
      Warn(folder.entry, Filled(texts::EntryNotWritten, {folder.path, error.what()}));
    }
  }
}

void Restore::List(const std::vector<size_t>& selected) {
  console_.Line(texts::ListingHeading);
  uint64_t size = 0, packed = 0, files = 0, folders = 0;
  for (const size_t i : selected) {
    const ArchiveEntry& e = entries_[i];
    const CivilTime t = fs_.ToLocalTime(ModifiedTicks(e));
    const uint32_t a = e.DosAttributes();
    std::string line = std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) +
                       " " + TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" +
                       TwoDigits(t.second) + " ";
    line += std::string(e.IsFolder() ? "D" : ".") + (a & 1 ? "R" : ".") + (a & 2 ? "H" : ".") +
            (a & 4 ? "S" : ".");
    const std::string sizes = std::to_string(e.record.size),
                      packs = std::to_string(e.record.compressedSize);
    line += std::string(14 - std::min<size_t>(14, sizes.size()), ' ') + sizes;
    line += std::string(13 - std::min<size_t>(13, packs.size()), ' ') + packs + " ";
    std::string method = e.record.method == kMethodStore     ? "Store"
                         : e.record.method == kMethodDeflate ? "Deflate"
                                                             : "?";
    method += e.encryption != Encryption::None ? "*" : "";
    line += method + std::string(10 - std::min<size_t>(9, method.size()), ' ') + e.record.name;
    if (chained_)
      line = Filled(texts::ListedFrom, {line, chain_.NameOf(i)});
    else if (IsStateList(e))
      line = Filled(texts::StateListMarked, {line});
    for (char& c : line)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    console_.Line(line);
    size += e.record.size;
    packed += e.record.compressedSize;
    ++(e.IsFolder() ? folders : files);
  }
  console_.Line(Filled(texts::ListingTotal, {FileCount(files), GroupedNumber(folders),
                                             ByteSize(size), ByteSize(packed)}));
}

void Restore::Finish() {
  console_.Progress("");
  console_.Line(Filled(texts::SummaryArchive, {archive_}));
  if (!target_.empty()) console_.Line(Filled(texts::SummaryTarget, {target_}));
  if (options_.command != 'l' && exitCode_ <= kExitWarning) {
    const double seconds = std::chrono::duration<double>(Clock::now() - started_ - typing_).count();
    console_.Line(Filled(options_.command == 't' ? texts::Tested : texts::Extracted,
                         {FileCount(files_), ByteSize(bytes_), Decimal1(seconds)}));
  }
  if (!notes_.empty())
    console_.Line(
        Filled(texts::SectionHeading, {texts::NotesHeading, std::to_string(notes_.size())}));
  for (const std::string& note : notes_) console_.Line(Filled(texts::ListedItem, {note}));
  std::stable_sort(warnings_.begin(), warnings_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  if (!warnings_.empty())
    console_.Line(
        Filled(texts::SectionHeading, {texts::WarningsHeading, std::to_string(warnings_.size())}));
  for (const auto& warning : warnings_) console_.Line(Filled(texts::ListedItem, {warning.second}));
  if (!message_.empty()) console_.Line(message_);
  console_.Line(ResultLine(exitCode_));
}

}  // namespace

int RunRestore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
               const std::atomic<bool>& cancelled) {
  return Restore(options, fs, crypto, console, cancelled).Execute();
}

std::string CreateDroppedTarget(FileSystem& fs, const std::string& archive) {
  const std::string full = fs.FullPath(archive);
  const std::string base = full.substr(0, full.size() - 4);  // without ".zip"
  for (int number = 1; number < 10000; ++number) {
    const std::string folder = number == 1 ? base : base + " (" + std::to_string(number) + ")";
    try {
      fs.CreateFolder(folder);
      return folder + "\\";
    } catch (const FileError& error) {
      if (!error.Is(FileError::Exists))
        throw RunError(kExitFatal, Filled(texts::TargetNotCreated, {folder, error.what()}));
    }
  }
  throw RunError(kExitFatal, Filled(texts::TargetNotCreated, {base, texts::AllNamesTaken}));
}

}  // namespace dszip
