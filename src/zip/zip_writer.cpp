#include "zip/zip_writer.h"

#include <zlib.h>

#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <utility>

#include "zip/buffered_output.h"
#include "zip/deflate_pool.h"

namespace zip {
namespace {

// Sizes near 4 GiB get ZIP64 room in the local header: Deflate may grow incompressible data.
constexpr uint64_t kZip64LocalThreshold = 0xF0000000u;
constexpr uint32_t kDosAttributes = 0x37;  // read-only, hidden, system, folder, archive

// What the reader hands to the writer, in archive order.
struct Step {
  enum Kind { Begin, Data, End, SmallFiles } kind = Begin;
  size_t item = 0;
  std::shared_ptr<Batch> batch = nullptr;  // Data (one piece of the current entry), SmallFiles
  bool failed = false;                     // End: not read; the entry is dropped
  std::string failure = {};                // End: why, in the platform's words
  bool unchanged = false;                  // End
  FileInfo read = {};                      // End: the source at the end of its read
  bool again = false;                      // End: the file changed while read; dropped, read again
};

// Small files go to the workers in batches of about a piece.
constexpr size_t kBatchFiles = 64;

class Writer {
 public:
  Writer(Files& fs, Crypto& crypto, const std::vector<Item>& items, const WriteSettings& settings,
         OutputFile& out, const ProgressCallback& progress)
      : fs_(fs), crypto_(crypto), items_(items), settings_(settings), out_(out),
        progress_(progress), pool_(settings.level, settings.threads),
        maxBatches_(settings.threads + 2) {}

  WriteResult Run() {
    for (size_t i = 0; i < items_.size(); ++i) ReadItem(i);
    SubmitSmallFiles();
    while (!steps_.empty()) ConsumeFront();
    // Small files that grew past a piece before they were read go in whole, as large ones.
    while (!grown_.empty()) {
      for (const size_t index : std::exchange(grown_, {})) ReadLargeFile(index);
      while (!steps_.empty()) ConsumeFront();
    }
    WriteCentralDirectory();
    out_.Drain();
    result_.archiveSize = out_.Position();
    return std::move(result_);
  }

 private:
  // Reader side -----------------------------------------------------------------------------

  void ReadItem(size_t index) {
    const Item& item = items_[index];
    if (!item.IsFolder() && item.info.size < kPieceSize) {
      AddSmallFile(index);
      return;
    }
    SubmitSmallFiles();
    if (item.IsFolder()) {
      Push({.kind = Step::Begin, .item = index});
      Push({.kind = Step::End, .item = index, .unchanged = true});
      return;
    }
    ReadLargeFile(index);
  }

  // From one handle to its end, as often as the file changes meanwhile, up to kReadAttempts.
  void ReadLargeFile(size_t index) {
    const Item& item = items_[index];
    for (int attempt = 1;; ++attempt) {
      std::unique_ptr<InputFile> file;
      FileInfo before;
      try {
        file = fs_.OpenRead(item.path);
        before = file->Info();
      } catch (const FileError& error) {
        result_.warnings.push_back({WriteWarning::Unreadable, index, error.what()});
        return;
      }
      Push({.kind = Step::Begin, .item = index});
      Step end{.kind = Step::End, .item = index};
      try {
        const uint64_t size = ReadPieces(*file, before.size, Stored(item));
        end.read = file->Info();
        if (settings_.identify) end.read.id = file->Identity();
        end.unchanged = SameContentState(before, end.read) && end.read.size == size;
      } catch (const FileError& error) {
        end.failed = true;
        end.failure = error.what();
      }
      end.again = !end.failed && !end.unchanged && attempt < kReadAttempts;
      const bool done = !end.again;
      Push(std::move(end));
      if (done) return;
    }
  }

  void AddSmallFile(size_t index) {
    const Item& item = items_[index];
    if (!smallFiles_) smallFiles_ = std::make_shared<Batch>();
    Piece& piece = smallFiles_->pieces.emplace_back();
    piece.fs = &fs_;
    piece.path = item.path;
    piece.identify = settings_.identify;
    piece.last = true;
    piece.store = Stored(item);
    piece.mayStore = true;
    piece.item = index;
    if (settings_.password) {
      piece.crypto = &crypto_;
      piece.password = &*settings_.password;
    }
    smallBytes_ += item.info.size;
    if (smallFiles_->pieces.size() >= kBatchFiles || smallBytes_ >= kPieceSize) SubmitSmallFiles();
  }

  void SubmitSmallFiles() {
    if (!smallFiles_) return;
    auto batch = std::move(smallFiles_);
    smallFiles_.reset();
    smallBytes_ = 0;
    Submit(batch);
    Push({.kind = Step::SmallFiles, .batch = batch});
  }

  // One piece ahead, so that the last piece is known to be the last. The first piece decides
  // whether the entry is stored: the rest wait for its verdict. Read up to the size at open:
  // what is appended meanwhile makes a change, not an endless read.
  uint64_t ReadPieces(InputFile& file, uint64_t left, bool store) {
    Piece current;
    current.input = ReadPiece(file, left);
    uint64_t size = current.input.size();
    current.mayStore = true;
    std::shared_ptr<Batch> first;
    std::vector<uint8_t> previousTail;
    for (;;) {
      Piece next;
      if (current.input.size() == kPieceSize) next.input = ReadPiece(file, left);
      size += next.input.size();
      current.last = next.input.empty();
      // The verdict is not waited for: until it comes, pieces are compressed and keep their input.
      if (first && first->done) {
        pool_.Wait(*first);
        store = first->pieces.front().store;
        first.reset();
      }
      current.store = store;
      current.spare = first != nullptr;
      std::vector<uint8_t> tail;
      if (!current.last) {
        const size_t length = std::min(kDictionarySize, current.input.size());
        tail.assign(current.input.end() - static_cast<std::ptrdiff_t>(length), current.input.end());
      }
      current.dictionary = std::exchange(previousTail, std::move(tail));
      auto batch = std::make_shared<Batch>();
      const bool decides = current.mayStore;
      if (decides) first = batch;
      batch->pieces.push_back(std::move(current));
      // The verdict of a large file's first piece is wanted soon: not behind the queue.
      Submit(batch, decides);
      Push({.kind = Step::Data, .batch = batch});
      if (next.input.empty()) return size;
      current = std::move(next);
    }
  }

  static std::vector<uint8_t> ReadPiece(InputFile& file, uint64_t& left) {
    std::vector<uint8_t> data(static_cast<size_t>(std::min<uint64_t>(kPieceSize, left)));
    data.resize(ReadFull(file, data.data(), data.size()));
    left -= data.size();
    return data;
  }

  void Submit(const std::shared_ptr<Batch>& batch, bool urgent = false) {
    while (batchesInFlight_ >= maxBatches_) ConsumeFront();
    ++batchesInFlight_;
    pool_.Submit(batch, urgent);
  }

  // Queues a step and writes whatever is ready at the front.
  void Push(Step step) {
    steps_.push_back(std::move(step));
    while (!steps_.empty() && (!steps_.front().batch || steps_.front().batch->done)) ConsumeFront();
  }

  // Empty files too: Deflate would make two bytes of nothing.
  bool Stored(const Item& item) const { return settings_.level == 0 || item.info.size == 0; }

  // Writer side -----------------------------------------------------------------------------

  void ConsumeFront() {
    const Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.batch) {
      pool_.Wait(*step.batch);
      --batchesInFlight_;
    }
    switch (step.kind) {
      case Step::Begin: BeginEntry(step.item); break;
      case Step::Data: WriteData(step.batch->pieces.front()); break;
      case Step::End: EndEntry(step); break;
      case Step::SmallFiles:
        for (Piece& piece : step.batch->pieces) {
          if (piece.grown) {
            grown_.push_back(piece.item);
            continue;
          }
          BeginEntry(piece.item, &piece);
          WriteData(piece);
          EndEntry({.kind = Step::End,
                    .item = piece.item,
                    .failed = piece.failed,
                    .failure = piece.failure,
                    .unchanged = piece.unchanged,
                    .read = piece.read});
        }
        break;
    }
  }

  // `whole`: a small file's piece, already encrypted by its worker when a password is given.
  void BeginEntry(size_t index, const Piece* whole = nullptr) {
    const Item& item = items_[index];
    EntryRecord& e = current_;
    e = EntryRecord{};
    e.name = item.storedName;
    SetTimes(e, item.info.modified);
    e.attributes = item.info.attributes & kDosAttributes;
    const bool folder = item.IsFolder();
    e.method = folder || Stored(item) || (whole && whole->store) ? kMethodStore : kMethodDeflate;
    e.effortBits = DeflateEffortBits(settings_.level);
    e.aesVersion = folder || !settings_.password ? 0 : item.info.size >= kAe1MinimumSize ? 1 : 2;
    e.zip64Local = item.info.size >= kZip64LocalThreshold;
    e.offset = out_.Position();
    out_.Append(LocalHeader(e));
    dataStart_ = out_.Position();
    crc_ = 0;
    currentAes_ = {};
    if (e.aesVersion != 0 && whole) {
      currentAes_ = whole->aes;
    } else if (e.aesVersion != 0) {
      currentAes_ = NewAesKeys(crypto_, *settings_.password);
      aes_ = std::make_unique<AesStream>(crypto_, currentAes_);
      out_.Append(aes_->Header());
    }
  }

  void WriteData(Piece& piece) {
    if (piece.store) current_.method = kMethodStore;  // the first piece did not shrink
    if (current_.method == kMethodStore && !piece.store)
      piece.output = std::move(piece.input);  // a spare
    if (aes_) aes_->Encrypt(piece.output.data(), piece.output.size());
    out_.Append(piece.output.data(), piece.output.size());
    crc_ = static_cast<uint32_t>(
        crc32_combine(crc_, piece.crc, static_cast<z_off_t>(piece.inputSize)));
    current_.size += piece.inputSize;
    bytesDone_ += piece.inputSize;
    if (progress_) progress_(bytesDone_, filesDone_);
  }

  void EndEntry(const Step& end) {
    const Item& item = items_[end.item];
    std::optional<WriteWarning> failure;
    if (end.failed) failure = {WriteWarning::Unreadable, end.item, end.failure};
    if (aes_) {
      out_.Append(aes_->Tag());
      aes_.reset();
    }
    current_.crc = crc_;
    current_.compressedSize = out_.Position() - dataStart_;
    const bool needsZip64 = current_.size >= kMax32 || current_.compressedSize >= kMax32;
    if (!failure && needsZip64 && !current_.zip64Local)
      failure = {WriteWarning::GrewPastHeader, end.item, ""};
    if (failure || end.again) {
      out_.Truncate(current_.offset);
      bytesDone_ -= current_.size;
      if (failure) result_.warnings.push_back(std::move(*failure));
      return;
    }
    if (!item.IsFolder() && !end.unchanged)
      result_.warnings.push_back({WriteWarning::ChangedWhileRead, end.item, ""});
    if (current_.aesVersion != 0) current_.aesVersion = current_.size >= kAe1MinimumSize ? 1 : 2;
    if (!item.IsFolder()) SetReadTime(current_, end.read.modified);
    out_.Patch(current_.offset, LocalHeader(current_));
    result_.entries.push_back({.record = current_,
                               .item = end.item,
                               .unchanged = end.unchanged,
                               .aes = currentAes_,
                               .read = end.read});
    if (!item.IsFolder()) ++filesDone_;
    if (progress_) progress_(bytesDone_, filesDone_);
  }

  // The DOS time in local time, and the exact one: in the extended timestamp while it holds
  // it (1970 to 2038), else in an NTFS field.
  void SetTimes(EntryRecord& e, uint64_t modified) {
    const int64_t seconds = UnixSeconds(modified);
    e.dosTime = DosDateTime(fs_.ToLocalTime(modified));
    e.unixTime = seconds;
    e.hasUnixTime = modified != 0 && seconds >= 0 && seconds <= 0x7FFFFFFF;
    e.ntfsTime = modified != 0 && !e.hasUnixTime ? modified : 0;
  }

  // The time of what was read. The local header is patched in place, so its extra fields
  // keep the length they were written with.
  void SetReadTime(EntryRecord& e, uint64_t modified) {
    EntryRecord timed = e;
    SetTimes(timed, modified);
    if (modified != 0 && timed.hasUnixTime == e.hasUnixTime &&
        (timed.ntfsTime != 0) == (e.ntfsTime != 0))
      e = std::move(timed);
  }

  void WriteCentralDirectory() {
    const uint64_t start = out_.Position();
    for (const WrittenEntry& entry : result_.entries) out_.Append(CentralHeader(entry.record));
    out_.Append(
        EndRecords(result_.entries.size(), start, out_.Position() - start, settings_.comment));
  }

  Files& fs_;
  Crypto& crypto_;
  const std::vector<Item>& items_;
  const WriteSettings& settings_;
  BufferedOutput out_;
  const ProgressCallback& progress_;
  DeflatePool pool_;
  size_t maxBatches_;
  size_t batchesInFlight_ = 0;
  std::shared_ptr<Batch> smallFiles_;
  uint64_t smallBytes_ = 0;
  std::deque<Step> steps_;
  std::vector<size_t> grown_;  // small files to be read again as large ones
  WriteResult result_;
  EntryRecord current_;
  uint64_t dataStart_ = 0;
  uint32_t crc_ = 0;
  std::unique_ptr<AesStream> aes_;  // large files: encrypted here, piece by piece
  AesKeys currentAes_;
  uint64_t bytesDone_ = 0, filesDone_ = 0;
};

}  // namespace

WriteResult WriteArchive(Files& fs, Crypto& crypto, const std::vector<Item>& items,
                         const WriteSettings& settings, OutputFile& out,
                         const ProgressCallback& progress) {
  return Writer(fs, crypto, items, settings, out, progress).Run();
}

}  // namespace zip
