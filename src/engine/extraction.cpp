#include "engine/extraction.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <utility>

#include "core/filled.h"
#include "engine/target_folder.h"
#include "engine/temporary_file.h"
#include "engine/texts.h"
#include "engine/zip_errors.h"
#include "zip/parallel.h"

namespace dszip {
namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kWriteBuffer = size_t{1} << 20;
// Entries are handed to the cores in runs of about this much archive, read front to back.
constexpr uint64_t kRunBytes = uint64_t{4} << 20;
constexpr size_t kRunEntries = 64;

using Span = std::pair<size_t, size_t>;  // planned files first .. last-1

class EntryReader {
 public:
  EntryReader(RestoreContext& run, const std::optional<std::string>& password, EntryAction action)
      : run_(run), password_(password), action_(action) {}

  // Runs of neighbouring entries, the largest among the first, so that a huge file does not
  // start last.
  Restored ReadAll(std::vector<Planned> files) {
    std::sort(files.begin(), files.end(),
              [this](const Planned& a, const Planned& b) { return run_.Before(a.entry, b.entry); });
    std::vector<Span> runs;
    for (size_t first = 0; first < files.size();) {
      size_t last = first + 1;
      uint64_t bytes = Record(files[first]).compressedSize;
      while (last < files.size() && last - first < kRunEntries && bytes < kRunBytes &&
             run_.PartOf(files[last].entry) == run_.PartOf(files[first].entry))
        bytes += Record(files[last++]).compressedSize;
      runs.emplace_back(first, last);
      first = last;
    }
    for (const Planned& file : files) {
      total_ += Record(file).compressedSize;
      counts_.totalBytes += Record(file).size;
    }
    counts_.totalFiles = files.size();
    run_.console.Counted(counts_);
    std::stable_sort(runs.begin(), runs.end(), [this, &files](const Span& a, const Span& b) {
      return RunSize(files, a) > RunSize(files, b);
    });
    // Largest and smallest in turn: while some cores inflate a large file, the others create
    // small ones, whose cost lies in the file system.
    std::vector<Span> order;
    for (size_t low = 0, high = runs.size(); low < high;) {
      order.push_back(runs[low++]);
      if (low < high) order.push_back(runs[--high]);
    }
    RunJobs(WorkerCount(), order.size(),
            [&](size_t run) { ReadRun(files, order[run].first, order[run].second); });
    run_.console.Counted(Counts());
    return restored_;
  }

 private:
  const EntryRecord& Record(const Planned& planned) const {
    return run_.entries[planned.entry].record;
  }

  uint64_t RunSize(const std::vector<Planned>& files, const Span& run) const {
    uint64_t bytes = 0;
    for (size_t k = run.first; k < run.second; ++k) bytes += Record(files[k]).compressedSize;
    return bytes;
  }

  void ReadRun(const std::vector<Planned>& files, size_t first, size_t last) {
    const auto file = run_.fs.OpenRead(run_.ArchiveOf(files[first].entry));
    SequentialReader in(*file, Record(files[first]).offset);
    Inflater inflater(true);
    Bytes buffer;  // one per core, not one per file
    for (size_t k = first; k < last; ++k) {
      CheckCancelled();
      const ArchiveEntry& entry = run_.entries[files[k].entry];
      uint64_t credited = 0;  // of the entry's bytes, counted as done
      try {
        in.SkipTo(entry.record.offset);
        SkipLocalHeader(in);
        const uint64_t start = in.Position();
        uint64_t counted = start;
        const auto progress = [&](uint64_t position) {
          Credit(entry, position - start, credited);
          Advance(position, counted);
        };
        if (action_ == EntryAction::Check) {
          ReadEntryData(in, inflater, run_.crypto, entry, Key(), nullptr, progress);
          Count(entry);
        } else if (Extract(in, inflater, files[k], buffer, progress)) {
          Count(entry);
        }
      } catch (const zip::Error& error) {
        // The reader's complaints are about one entry; anything else ends the run.
        run_.warnings.Add(
            files[k].entry,
            Filled(action_ == EntryAction::Check ? texts::EntryFailsTest : texts::EntryDamaged,
                   {entry.record.name, ReasonText(error)}));
      }
      Settle(entry, credited);
    }
  }

  Secret Key() const { return {.password = password_ ? &*password_ : nullptr}; }

  void Count(const ArchiveEntry& entry) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++restored_.files;
    restored_.bytes += entry.record.size;
  }

  void CheckCancelled() {
    if (run_.cancelled.load()) throw RunError(kExitInterrupted, texts::RestoreInterrupted);
  }

  // The entry's bytes in proportion to the archive bytes read of it: the count a front end shows
  // moves within a large file too.
  void Credit(const ArchiveEntry& entry, uint64_t read, uint64_t& credited) {
    const uint64_t size = entry.record.size, packed = entry.record.compressedSize;
    const uint64_t part = packed == 0
                              ? 0
                              : std::min(size, static_cast<uint64_t>(static_cast<double>(read) /
                                                                     static_cast<double>(packed) *
                                                                     static_cast<double>(size)));
    if (part > credited) bytesDone_ += part - credited;
    credited = std::max(credited, part);
  }

  // Written, checked, kept or refused: the entry counts as done either way.
  void Settle(const ArchiveEntry& entry, uint64_t credited) {
    bytesDone_ += entry.record.size - std::min(credited, entry.record.size);
    ++filesDone_;
  }

  ProgressCounts Counts() const {
    ProgressCounts counts = counts_;
    counts.files = filesDone_;
    counts.bytes = bytesDone_;
    return counts;
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
    run_.console.Progress(Filled(
        texts::PercentDone, {action_ == EntryAction::Check ? texts::Testing : texts::Extracting,
                             std::to_string(percent)}));
    run_.console.Counted(Counts());
  }

  bool Extract(SequentialReader& in, Inflater& inflater, const Planned& planned, Bytes& buffer,
               const std::function<void(uint64_t)>& progress);
  void Place(TemporaryFile& output, const Planned& planned);
  void PutBackAttributes(const Planned& planned, uint32_t attributes);

  RestoreContext& run_;
  const std::optional<std::string>& password_;
  const EntryAction action_;
  std::mutex mutex_, progressMutex_;
  std::atomic<uint64_t> done_{0};  // archive bytes read
  uint64_t total_ = 0;
  std::atomic<uint64_t> filesDone_{0}, bytesDone_{0};
  ProgressCounts counts_;  // the totals
  Clock::time_point shown_;
  Restored restored_;
};

// False when the file was not written; the reason is named unless -o- asked for silence.
bool EntryReader::Extract(SequentialReader& in, Inflater& inflater, const Planned& planned,
                          Bytes& buffer, const std::function<void(uint64_t)>& progress) {
  const ArchiveEntry& entry = run_.entries[planned.entry];
  // Named like the archive's, so that a later run here removes it if this one is killed.
  const std::string temporary =
      TemporaryName(planned.path, TemporaryTag(run_.fs.ProcessId(), std::to_string(planned.entry)));
  try {
    TemporaryFile output(run_.fs, temporary);
    buffer.clear();
    buffer.reserve(kWriteBuffer);
    const auto flush = [&] {
      output.out->Write(buffer.data(), buffer.size());
      buffer.clear();
    };
    ReadEntryData(
        in, inflater, run_.crypto, entry, Key(),
        [&](const uint8_t* data, size_t size) {
          buffer.insert(buffer.end(), data, data + size);
          if (buffer.size() >= kWriteBuffer) flush();
        },
        progress);
    if (!buffer.empty()) flush();
    output.out->SetModifiedAndAttributes(ModifiedTicks(run_.fs, entry), entry.DosAttributes());
    Place(output, planned);
    return true;
  } catch (const FileError& error) {
    if (error.Is(FileError::DiskFull))
      throw RunError(kExitFatal, Filled(texts::RestoreFailed, {error.what()}));
    if (error.Is(FileError::Exists) && run_.options.overwrite == Overwrite::Skip) return false;
    run_.warnings.Add(planned.entry,
                      error.Is(FileError::Exists)
                          ? Filled(texts::EntryExists, {planned.path})
                          : Filled(texts::EntryNotWritten, {planned.path, error.what()}));
    return false;
  }
}

// Only now, checked, time and attributes set, does the file take its final name, through the
// open file; an old one is replaced only with -o+.
void EntryReader::Place(TemporaryFile& output, const Planned& planned) {
  const bool replace = run_.options.overwrite == Overwrite::Replace;
  std::optional<FileInfo> readOnly;  // an old file whose write protection is lifted for the rename
  if (replace) {
    readOnly = run_.fs.Stat(planned.path);
    if (readOnly && (readOnly->attributes & kAttrReadOnly))
      run_.fs.SetAttributes(planned.path, readOnly->attributes & ~kAttrReadOnly);
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

void EntryReader::PutBackAttributes(const Planned& planned, uint32_t attributes) {
  try {
    run_.fs.SetAttributes(planned.path, attributes);
  } catch (const FileError& error) {
    run_.warnings.Add(planned.entry,
                      Filled(texts::AttributesNotPutBack, {planned.path, error.what()}));
  }
}

}  // namespace

Restored ReadEntries(RestoreContext& run, const std::optional<std::string>& password,
                     std::vector<Planned> files, EntryAction action) {
  return EntryReader(run, password, action).ReadAll(std::move(files));
}

void FinishFolders(RestoreContext& run, std::vector<Planned> folders) {
  std::sort(folders.begin(), folders.end(),
            [](const Planned& a, const Planned& b) { return a.path > b.path; });
  for (const Planned& folder : folders) {
    const ArchiveEntry& entry = run.entries[folder.entry];
    try {
      run.fs.SetModified(folder.path, ModifiedTicks(run.fs, entry));
      if (entry.DosAttributes() != 0)
        run.fs.SetAttributes(folder.path, entry.DosAttributes() | kAttrFolder);
    } catch (const FileError& error) {
      run.warnings.Add(folder.entry, Filled(texts::EntryNotWritten, {folder.path, error.what()}));
    }
  }
}

}  // namespace dszip
