// Reading the finished archive back before it may take its final name.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "core/filled.h"
#include "dszip/aes_zip.h"
#include "dszip/archive_writer.h"
#include "dszip/command_line.h"
#include "dszip/text.h"
#include "dszip/texts.h"
#include "dszip/zip_reader.h"

namespace dszip {
namespace {

// Entries are checked in runs of about this much archive, each run on a thread of its own.
constexpr uint64_t kRunBytes = uint64_t{8} << 20;

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw RunError(kExitFatal, Filled(texts::VerifyFailed, {name, what}));
}

// The data checked by the same reader that restores it, with the keys made when writing: the
// same salt with the same password gives the same keys.
void VerifyData(SequentialReader& in, Inflater& inflater, Crypto& crypto,
                const WrittenEntry& written, const std::function<void(uint64_t)>& progress) {
  ArchiveEntry entry;
  entry.record = written.record;
  entry.encryption = written.record.aesVersion != 0 ? Encryption::Aes : Encryption::None;
  try {
    ReadEntryData(in, inflater, crypto, entry, Secret{.keys = &written.aes}, nullptr, progress);
  } catch (const RunError& error) {
    Fail(written.record.name, error.what());
  }
}

std::unique_ptr<InputFile> OpenArchive(FileSystem& fs, const std::string& path) {
  try {
    return fs.OpenRead(path);
  } catch (const FileError& error) {
    Fail(path, error.what());
  }
}

// Entries [first, last), read from `start` (0 for the first run), and that they end exactly at
// `stop`, where the next run or the central directory begins: no byte goes unchecked.
void VerifyRun(FileSystem& fs, Crypto& crypto, const std::string& path, const WrittenEntry* first,
               const WrittenEntry* last, uint64_t start, uint64_t stop,
               const std::function<void(uint64_t)>& progress) {
  const auto file = OpenArchive(fs, path);
  SequentialReader in(*file, start);
  Inflater inflater;
  for (const WrittenEntry* entry = first; entry != last; ++entry) {
    const Bytes header = LocalHeader(entry->record);
    if (in.Position() != entry->record.offset || in.Read(header.size()) != header)
      Fail(entry->record.name, texts::PartLocalHeader);
    VerifyData(in, inflater, crypto, *entry, progress);
  }
  if (in.Position() != stop) Fail(last[-1].record.name, texts::PartLength);
}

// Threads that check runs of entries; the first failure stops the others.
class RunChecks {
 public:
  RunChecks(FileSystem& fs, Crypto& crypto, const std::string& path,
            const std::vector<WrittenEntry>& entries, uint64_t centralStart, unsigned threads)
      : fs_(fs), crypto_(crypto), path_(path), entries_(entries), centralStart_(centralStart) {
    for (size_t first = 0; first < entries.size();) {
      size_t last = first + 1;
      while (last < entries.size() &&
             entries[last].record.offset - entries[first].record.offset < kRunBytes)
        ++last;
      runs_.push_back({.first = first, .last = last});
      first = last;
    }
    // The largest first, so that a huge file does not start last and keep the others waiting.
    std::stable_sort(runs_.begin(), runs_.end(),
                     [this](const Span& a, const Span& b) { return Size(a) > Size(b); });
    const size_t count = std::min<size_t>(std::max(threads, 1u), runs_.size());
    running_ = count;
    for (size_t i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
  }
  ~RunChecks() {
    stop_ = true;
    for (std::thread& thread : threads_) thread.join();
  }
  RunChecks(const RunChecks&) = delete;
  RunChecks& operator=(const RunChecks&) = delete;

  // Waits for the threads, reporting the bytes checked now and then; rethrows a failure.
  void Wait(const std::function<void(uint64_t)>& progress) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!finished_.wait_for(lock, std::chrono::milliseconds(100),
                               [this] { return running_ == 0; })) {
      lock.unlock();
      if (progress) progress(done_);
      lock.lock();
    }
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  struct Span {
    size_t first, last;
  };
  uint64_t End(const Span& span) const {
    return span.last < entries_.size() ? entries_[span.last].record.offset : centralStart_;
  }
  uint64_t Start(const Span& span) const {
    return span.first == 0 ? 0 : entries_[span.first].record.offset;
  }
  uint64_t Size(const Span& span) const { return End(span) - Start(span); }

  void Work() {
    try {
      for (size_t i = next_++; i < runs_.size() && !stop_; i = next_++) {
        const Span& span = runs_[i];
        uint64_t counted = Start(span);
        VerifyRun(fs_, crypto_, path_, &entries_[span.first],
                  &entries_[span.first] + (span.last - span.first), counted, End(span),
                  [this, &counted](uint64_t position) {
                    done_ += position - counted;
                    counted = position;
                    if (stop_) throw Stopped();
                  });
      }
    } catch (const Stopped&) {
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      stop_ = true;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    --running_;
    finished_.notify_all();
  }

  struct Stopped {};

  FileSystem& fs_;
  Crypto& crypto_;
  const std::string& path_;
  const std::vector<WrittenEntry>& entries_;
  uint64_t centralStart_;
  std::vector<Span> runs_;
  std::atomic<size_t> next_{0};
  std::atomic<uint64_t> done_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable finished_;
  size_t running_ = 0;
  std::exception_ptr failure_;
  std::vector<std::thread> threads_;
};

}  // namespace

void VerifyArchive(FileSystem& fs, Crypto& crypto, const std::string& path,
                   const std::vector<WrittenEntry>& entries, unsigned threads,
                   const std::function<void(uint64_t)>& progress) {
  const uint64_t centralStart = entries.empty() ? 0
                                                : entries.back().record.offset +
                                                      LocalHeader(entries.back().record).size() +
                                                      entries.back().record.compressedSize;
  RunChecks checks(fs, crypto, path, entries, centralStart, threads);
  const auto file = OpenArchive(fs, path);
  SequentialReader in(*file, centralStart);
  uint64_t centralSize = 0;
  for (const WrittenEntry& entry : entries) {
    const Bytes header = CentralHeader(entry.record);
    if (in.Read(header.size()) != header) Fail(entry.record.name, texts::PartCentralDirectory);
    centralSize += header.size();
  }
  const Bytes end = EndRecords(entries.size(), centralStart, centralSize);
  if (in.Read(end.size()) != end || !in.Read(1).empty()) Fail(path, texts::PartEndRecord);
  checks.Wait(progress);
}

}  // namespace dszip
