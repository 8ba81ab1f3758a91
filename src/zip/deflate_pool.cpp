#include "zip/deflate_pool.h"

#include <libdeflate.h>

#include <algorithm>
#include <stdexcept>

#include "zip/crc32.h"
#include "zip/deflate_blocks.h"
#include "zip/errors.h"

namespace zip {

// Measured on both benchmark corpora (bench/deflate_levels): the fastest libdeflate level whose
// archive is no larger than zlib's at the level the code named. Level 6 falls 1.5 % behind zlib's
// on a large log of prose, so normal effort takes 7, which beats zlib's 8 and 9 as well.
int LibdeflateLevel(int level) {
  static constexpr int kLevels[] = {0, 1, 3, 3, 7, 7, 7, 7, 7, 7};
  return kLevels[std::clamp(level, 0, 9)];
}

class Deflater {
 public:
  explicit Deflater(int level) : compressor_(libdeflate_alloc_compressor(LibdeflateLevel(level))) {
    if (!compressor_) throw std::bad_alloc();
  }
  ~Deflater() { libdeflate_free_compressor(compressor_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Each piece on its own; all but the last leave the stream open for the next.
  void Compress(Piece& piece) {
    const size_t bound = libdeflate_deflate_compress_bound(compressor_, piece.input.size());
    piece.output.resize(bound + kStreamJoinSize);
    piece.output.resize(libdeflate_deflate_compress(
        compressor_, piece.input.data(), piece.input.size(), piece.output.data(), bound));
    if (piece.output.empty() || (!piece.last && !OpenStreamEnd(piece.output)))
      throw CompressFailed();
  }

 private:
  // Room for the empty stored block that keeps the stream open: at most a byte to reach the
  // boundary, and four.
  static constexpr size_t kStreamJoinSize = 5;
  libdeflate_compressor* compressor_;
};

namespace {

// By at least one percent: less is not worth the inflating when reading back.
bool Shrunk(const Piece& piece) {
  return piece.output.size() < piece.inputSize - piece.inputSize / 100;
}

// Reads the file from one handle up to its size at open, and one byte more: a byte there
// tells a file that grew meanwhile, even where the size the file system reports lags behind.
void ReadWhole(InputFile& file, size_t size, Piece& piece) {
  piece.input.resize(size + 1);
  piece.input.resize(ReadFull(file, piece.input.data(), piece.input.size()));
}

// A file written to while it is read is read again; if it keeps changing, the last read is
// kept, as far as the file reached at open, and the entry marked.
void ReadSmallFile(Piece& piece) {
  try {
    for (int attempt = 0; attempt < kReadAttempts && !piece.unchanged; ++attempt) {
      auto file = piece.fs->OpenRead(piece.path);
      const FileInfo before = file->Info();
      if (before.size > kPieceSize) {
        piece.grown = true;
        break;
      }
      const auto size = static_cast<size_t>(before.size);
      ReadWhole(*file, size, piece);
      piece.read = file->Info();
      if (piece.identify) piece.read.id = file->Identity();
      piece.unchanged = SameContentState(before, piece.read) && piece.input.size() == size;
      piece.input.resize(std::min(piece.input.size(), size));
    }
  } catch (const FileError& error) {
    piece.failed = true;
    piece.failure = error.what();
  }
  if (piece.failed || piece.grown) piece.input.clear();
}

// The whole entry's data: salt and check, the encrypted data, the MAC.
void Encrypt(Piece& piece) {
  piece.aes = NewAesKeys(*piece.crypto, *piece.password);
  AesStream stream(*piece.crypto, piece.aes);
  stream.Encrypt(piece.output.data(), piece.output.size());
  std::vector<uint8_t> framed = stream.Header();
  framed.insert(framed.end(), piece.output.begin(), piece.output.end());
  const std::vector<uint8_t> tag = stream.Tag();
  framed.insert(framed.end(), tag.begin(), tag.end());
  piece.output = std::move(framed);
}

void ProcessBatch(Batch& batch, int level, std::unique_ptr<Deflater>& deflater) {
  if (level > 0 && !deflater) deflater = std::make_unique<Deflater>(level);
  for (Piece& piece : batch.pieces) {
    if (piece.fs) ReadSmallFile(piece);
    piece.crc = Crc32(0, piece.input.data(), piece.input.size());
    piece.inputSize = piece.input.size();
    if (deflater && !piece.store) deflater->Compress(piece);
    if (!deflater || piece.store || (piece.mayStore && !Shrunk(piece))) {
      piece.output = std::move(piece.input);
      piece.store = true;
    }
    if (!piece.spare || piece.store) piece.input = {};
    if (piece.password && !piece.failed && !piece.grown) Encrypt(piece);
  }
}

}  // namespace

DeflatePool::DeflatePool(int level, unsigned threads)
    : level_(level), deflaters_(std::max(threads, 1u)), workers_(threads) {}

DeflatePool::~DeflatePool() = default;

// Whatever stops a batch (no memory, a platform error) goes to the thread that waits for it.
void DeflatePool::Submit(const std::shared_ptr<Batch>& batch, bool urgent) {
  workers_.Submit(
      [this, batch](unsigned worker) {
        try {
          ProcessBatch(*batch, level_, deflaters_[worker]);
        } catch (...) {
          batch->error = std::current_exception();
        }
        batch->done = true;
      },
      urgent);
}

void DeflatePool::Wait(const Batch& batch) {
  if (!batch.done) workers_.WaitUntil([&] { return batch.done.load(); });
  if (batch.error) std::rethrow_exception(batch.error);
}

}  // namespace zip
