// Reading the finished archive back before it may take its final name.
#include <algorithm>
#include <atomic>
#include <exception>

#include "zip/aes_zip.h"
#include "zip/errors.h"
#include "zip/parallel.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace zip {
namespace {

// Entries are checked in runs of about this much archive, each run on a thread of its own.
constexpr uint64_t kRunBytes = uint64_t{8} << 20;

[[noreturn]] void Fail(const std::string& name, Flaw flaw) {
  throw VerifyFailed(name, std::make_exception_ptr(Damaged(flaw)));
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
  } catch (const Damaged&) {
    throw VerifyFailed(written.record.name, std::current_exception());
  } catch (const WrongPassword&) {
    throw VerifyFailed(written.record.name, std::current_exception());
  } catch (const UnsupportedMethod&) {
    throw VerifyFailed(written.record.name, std::current_exception());
  }
}

std::unique_ptr<InputFile> OpenArchive(Files& fs, const std::string& path) {
  try {
    return fs.OpenRead(path);
  } catch (const FileError&) {
    throw VerifyFailed(path, std::current_exception());
  }
}

// Entries [first, last), read from `start` (0 for the first run), and that they end exactly at
// `stop`, where the next run or the central directory begins: no byte goes unchecked.
void VerifyRun(Files& fs, Crypto& crypto, const std::string& path, const WrittenEntry* first,
               const WrittenEntry* last, uint64_t start, uint64_t stop,
               const std::function<void(uint64_t)>& progress) {
  const auto file = OpenArchive(fs, path);
  SequentialReader in(*file, start);
  Inflater inflater;
  for (const WrittenEntry* entry = first; entry != last; ++entry) {
    const Bytes header = LocalHeader(entry->record);
    if (in.Position() != entry->record.offset || in.Read(header.size()) != header)
      Fail(entry->record.name, Flaw::LocalHeader);
    VerifyData(in, inflater, crypto, *entry, progress);
  }
  if (in.Position() != stop) Fail(last[-1].record.name, Flaw::Length);
}

// Jobs that check runs of entries; the first failure stops the others.
class RunChecks {
 public:
  RunChecks(Files& fs, Crypto& crypto, const std::string& path,
            const std::vector<WrittenEntry>& entries, uint64_t centralStart, unsigned threads)
      : fs_(fs), crypto_(crypto), path_(path), entries_(entries), centralStart_(centralStart),
        jobs_(threads) {
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
    jobs_.Start(runs_.size(), [this](size_t run) { Check(runs_[run]); });
  }

  // Waits for the jobs, reporting the bytes checked now and then; rethrows a failure.
  void Wait(const std::function<void(uint64_t)>& progress) {
    jobs_.Wait([&] {
      if (progress) progress(done_);
    });
  }

 private:
  struct Span {
    size_t first, last;
  };
  struct Stopped {};

  uint64_t End(const Span& span) const {
    return span.last < entries_.size() ? entries_[span.last].record.offset : centralStart_;
  }
  uint64_t Start(const Span& span) const {
    return span.first == 0 ? 0 : entries_[span.first].record.offset;
  }
  uint64_t Size(const Span& span) const { return End(span) - Start(span); }

  void Check(const Span& span) {
    uint64_t counted = Start(span);
    VerifyRun(fs_, crypto_, path_, &entries_[span.first],
              &entries_[span.first] + (span.last - span.first), counted, End(span),
              [this, &counted](uint64_t position) {
                done_ += position - counted;
                counted = position;
                if (jobs_.Stopping()) throw Stopped();
              });
  }

  Files& fs_;
  Crypto& crypto_;
  const std::string& path_;
  const std::vector<WrittenEntry>& entries_;
  uint64_t centralStart_;
  std::vector<Span> runs_;
  std::atomic<uint64_t> done_{0};
  Jobs jobs_;  // last: its threads end before the rest goes
};

}  // namespace

void VerifyArchive(Files& fs, Crypto& crypto, const std::string& path,
                   const std::vector<WrittenEntry>& entries, unsigned threads,
                   const std::function<void(uint64_t)>& progress, const std::string& comment) {
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
    if (in.Read(header.size()) != header) Fail(entry.record.name, Flaw::CentralDirectory);
    centralSize += header.size();
  }
  const Bytes end = EndRecords(entries.size(), centralStart, centralSize, comment);
  if (in.Read(end.size()) != end || !in.Read(1).empty()) Fail(path, Flaw::EndRecord);
  checks.Wait(progress);
}

}  // namespace zip
