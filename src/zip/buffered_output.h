#pragma once
#include <cstdint>
#include <cstring>

#include "zip/errors.h"
#include "zip/files.h"
#include "zip/zip_records.h"

namespace zip {

// The archive file behind a large buffer: few, big writes. Headers are patched in place
// once an entry's sizes are known.
class BufferedOutput {
 public:
  static constexpr size_t kWriteBuffer = 1 << 20;

  explicit BufferedOutput(OutputFile& file) : file_(file) { buffer_.reserve(kWriteBuffer); }

  uint64_t Position() const { return flushed_ + buffer_.size(); }

  void Append(const uint8_t* data, size_t size) {
    if (buffer_.size() + size > kWriteBuffer) Drain();
    if (size >= kWriteBuffer) {
      Guarded([&] { file_.Write(data, size); });
      flushed_ += size;
    } else {
      buffer_.insert(buffer_.end(), data, data + size);
    }
  }
  void Append(const Bytes& bytes) { Append(bytes.data(), bytes.size()); }

  void Patch(uint64_t offset, const Bytes& bytes) {
    if (offset < flushed_) {
      Drain();
      Guarded([&] { file_.WriteAt(offset, bytes.data(), bytes.size()); });
    } else {
      std::memcpy(buffer_.data() + static_cast<size_t>(offset - flushed_), bytes.data(),
                  bytes.size());
    }
  }

  void Truncate(uint64_t size) {
    if (size >= flushed_) {
      buffer_.resize(static_cast<size_t>(size - flushed_));
      return;
    }
    buffer_.clear();
    Guarded([&] { file_.Truncate(size); });
    flushed_ = size;
  }

  void Drain() {
    if (buffer_.empty()) return;
    Guarded([&] { file_.Write(buffer_.data(), buffer_.size()); });
    flushed_ += buffer_.size();
    buffer_.clear();
  }

 private:
  // Writing happens while sources are read, so a full disk must not pass for a source that
  // cannot be read: it ends the run.
  template <typename Action>
  static void Guarded(Action action) {
    try {
      action();
    } catch (const FileError& error) {
      throw ArchiveWriteFailed(error);
    }
  }

  OutputFile& file_;
  Bytes buffer_;
  uint64_t flushed_ = 0;
};

}  // namespace zip
