#pragma once
// Reading and Deflate on worker threads. A file is cut into pieces that are compressed
// independently and joined into one Deflate stream: every piece but the last ends on a byte
// boundary without a final block.
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "zip/aes_zip.h"
#include "zip/crypto.h"
#include "zip/files.h"
#include "zip/parallel.h"

namespace zip {

constexpr size_t kPieceSize = 1 << 20;
// A file written to while it is read is read this often in all before it is stored as it is.
constexpr int kReadAttempts = 3;

struct Piece {
  std::vector<uint8_t> input;
  bool last = false;
  bool store = false;  // copied, not compressed; set by the worker when the data did not shrink
  // A small file or a large file's first piece: stored when Deflate does not shrink it, as
  // random or already compressed data, which Deflate crawls through for nothing.
  bool mayStore = false;
  // A large file's piece compressed before its first piece's verdict came: its input is kept,
  // for the case that the entry is stored after all.
  bool spare = false;
  bool identify = false;  // a small file's identity recorded as read
  // A file of at most one piece is read by the worker itself, so that the opening and
  // reading of many small files overlaps.
  Files* fs = nullptr;
  std::string path;
  // With a password such a file is also encrypted there, its keys derived in parallel.
  Crypto* crypto = nullptr;
  const std::string* password = nullptr;
  // Filled by the worker.
  bool failed = false;     // the file could not be read: the entry is dropped
  std::string failure;     // why, in the platform's words
  bool unchanged = false;  // the file looked the same at open and at the end of its read
  FileInfo read;           // as it was at the end of the read
  bool grown = false;      // grew past a piece before it was read: to be read as a large file
  AesKeys aes;             // when encrypted here
  std::vector<uint8_t> output;
  size_t inputSize = 0;
  uint32_t crc = 0;
  size_t item = 0;  // the selection's item, for whole small files
};

// What a worker takes at once: one stretch of a large file, or several small files whole,
// so that the threads meet once per batch rather than once per file (under Wine every such
// meeting is a round trip to its server).
struct Batch {
  std::vector<Piece> pieces;
  std::atomic<bool> done{false};
  std::exception_ptr error;  // what stopped the worker, thrown again to the waiting thread
};

// The compression codes name zlib's levels 1 to 9 (which the entries' effort bits still tell);
// each is compressed at the libdeflate level that makes archives no larger than zlib's did.
int LibdeflateLevel(int level);

class Deflater;  // one worker's compressor

class DeflatePool {
 public:
  // level 0 stores: the output is the input.
  DeflatePool(int level, unsigned threads);
  ~DeflatePool();
  DeflatePool(const DeflatePool&) = delete;
  DeflatePool& operator=(const DeflatePool&) = delete;

  // `urgent`: taken before the batches queued so far, for one that the reader waits for.
  void Submit(const std::shared_ptr<Batch>& batch, bool urgent = false);
  void Wait(const Batch& batch);  // throws what the worker met

 private:
  int level_;
  std::vector<std::unique_ptr<Deflater>> deflaters_;  // one per worker, made when first needed
  Workers workers_;                                   // last: its threads end first
};

}  // namespace zip
