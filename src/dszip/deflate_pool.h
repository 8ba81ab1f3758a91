#pragma once
// Deflate on worker threads. A file is cut into pieces that are compressed independently
// (each primed with the 32 KiB before it, so the ratio hardly suffers) and joined into one
// Deflate stream: every piece but the last ends on a byte boundary without a final block.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dszip {

constexpr size_t kPieceSize = 1 << 20;
constexpr size_t kDictionarySize = 32 * 1024;

struct Piece {
  std::vector<uint8_t> input;
  std::vector<uint8_t> dictionary;
  bool last = false;
  bool store = false;  // copied, not compressed
  // Filled by the worker.
  std::vector<uint8_t> output;
  size_t inputSize = 0;
  uint32_t crc = 0;
  bool done = false;
};

class DeflatePool {
 public:
  // level 0 stores: the output is the input.
  DeflatePool(int level, unsigned threads);
  ~DeflatePool();
  DeflatePool(const DeflatePool&) = delete;
  DeflatePool& operator=(const DeflatePool&) = delete;

  void Submit(const std::shared_ptr<Piece>& piece);
  void Wait(const Piece& piece);

 private:
  void Work();

  int level_;
  std::mutex mutex_;
  std::condition_variable work_, done_;
  std::deque<std::shared_ptr<Piece>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// Workers for this machine: one per core, at most a few dozen so memory stays bounded.
unsigned WorkerCount();

}  // namespace dszip
