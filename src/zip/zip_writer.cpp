#include "zip/zip_writer.h"

#include <cstring>
#include <deque>
#include <memory>
#include <utility>

#include "zip/deflate_pool.h"
#include "zip/entry_output.h"

namespace zip {
namespace {

// What the reader hands to the entry output, in archive order.
struct Step {
  enum Kind { Begin, Data, End, SmallFiles } kind = Begin;
  size_t item = 0;
  std::shared_ptr<Batch> batch = nullptr;  // Data (one piece of the current entry), SmallFiles
  ReadEnd end = {};                        // End
};

// Small files go to the workers in batches of about a piece.
constexpr size_t kBatchFiles = 64;

// Reads the items in archive order, has their pieces compressed on the worker pool and hands
// the steps, in that order, to the entry output as they are ready.
class ItemReader {
 public:
  ItemReader(Files& fs, Crypto& crypto, const std::vector<Item>& items,
             const WriteSettings& settings, OutputFile& out, const ProgressCallback& progress)
      : fs_(fs), crypto_(crypto), items_(items), settings_(settings),
        output_(fs, crypto, items, settings, out, progress),
        pool_(settings.level, settings.threads), maxBatches_(settings.threads + 2) {}

  WriteResult Run() {
    for (size_t i = 0; i < items_.size(); ++i) ReadItem(i);
    SubmitSmallFiles();
    while (!steps_.empty()) ConsumeFront();
    // Small files that grew past a piece before they were read go in whole, as large ones.
    while (!grown_.empty()) {
      for (const size_t index : std::exchange(grown_, {})) ReadLargeFile(index);
      while (!steps_.empty()) ConsumeFront();
    }
    return output_.Finish();
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
      Push({.kind = Step::End, .item = index, .end = {.unchanged = true}});
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
        output_.Warn({WriteWarning::Unreadable, index, error.what()});
        return;
      }
      Push({.kind = Step::Begin, .item = index});
      ReadEnd end;
      try {
        const uint64_t size = ReadPieces(*file, before.size, Stored(item, settings_.level));
        end.read = file->Info();
        if (settings_.identify) end.read.id = file->Identity();
        end.unchanged = SameContentState(before, end.read) && end.read.size == size;
      } catch (const FileError& error) {
        end.failed = true;
        end.failure = error.what();
      }
      end.again = !end.failed && !end.unchanged && attempt < kReadAttempts;
      const bool done = !end.again;
      Push({.kind = Step::End, .item = index, .end = std::move(end)});
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
    piece.store = Stored(item, settings_.level);
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

  // Handing over ----------------------------------------------------------------------------

  void ConsumeFront() {
    const Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.batch) {
      pool_.Wait(*step.batch);
      --batchesInFlight_;
    }
    switch (step.kind) {
      case Step::Begin: output_.BeginEntry(step.item); break;
      case Step::Data: output_.WriteData(step.batch->pieces.front()); break;
      case Step::End: output_.EndEntry(step.item, step.end); break;
      case Step::SmallFiles:
        for (Piece& piece : step.batch->pieces) {
          if (piece.grown) {
            grown_.push_back(piece.item);
            continue;
          }
          output_.BeginEntry(piece.item, &piece);
          output_.WriteData(piece);
          output_.EndEntry(piece.item, {.failed = piece.failed,
                                        .failure = piece.failure,
                                        .unchanged = piece.unchanged,
                                        .read = piece.read});
        }
        break;
    }
  }

  Files& fs_;
  Crypto& crypto_;
  const std::vector<Item>& items_;
  const WriteSettings& settings_;
  EntryOutput output_;
  DeflatePool pool_;
  size_t maxBatches_;
  size_t batchesInFlight_ = 0;
  std::shared_ptr<Batch> smallFiles_;
  uint64_t smallBytes_ = 0;
  std::deque<Step> steps_;
  std::vector<size_t> grown_;  // small files to be read again as large ones
};

}  // namespace

WriteResult WriteArchive(Files& fs, Crypto& crypto, const std::vector<Item>& items,
                         const WriteSettings& settings, OutputFile& out,
                         const ProgressCallback& progress) {
  return ItemReader(fs, crypto, items, settings, out, progress).Run();
}

}  // namespace zip
