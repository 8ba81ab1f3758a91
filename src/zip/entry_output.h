#pragma once
// The writing half of WriteArchive: entries go into the archive one after the other, each a
// local header, its data as the pieces come and the header patched once the sizes are known;
// the central directory and end records close the archive.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "zip/aes_zip.h"
#include "zip/buffered_output.h"
#include "zip/crypto.h"
#include "zip/deflate_pool.h"
#include "zip/files.h"
#include "zip/zip_records.h"
#include "zip/write_items.h"

namespace zip {

// How the read of an entry's source ended.
struct ReadEnd {
  bool failed = false;       // not read; the entry is dropped
  std::string failure = {};  // why, in the platform's words
  bool unchanged = false;    // the source looked the same at open and at the end of its read
  FileInfo read = {};        // the source at the end of its read
  bool again = false;        // the file changed while read; dropped, read again
};

// Empty files too: Deflate would make two bytes of nothing.
inline bool Stored(const Item& item, int level) { return level == 0 || item.info.size == 0; }

// One entry at a time, in the order the reader hands them over; the entries written and the
// warnings make the result.
class EntryOutput {
 public:
  EntryOutput(Files& fs, Crypto& crypto, const std::vector<Item>& items,
              const WriteSettings& settings, OutputFile& out, const ProgressCallback& progress)
      : fs_(fs), crypto_(crypto), items_(items), settings_(settings), out_(out),
        progress_(progress) {}

  // `whole`: a small file's piece, already encrypted by its worker when a password is given.
  void BeginEntry(size_t index, const Piece* whole = nullptr);
  void WriteData(Piece& piece);
  void EndEntry(size_t index, const ReadEnd& end);
  // A warning of the reader's, in its place among those of the entries.
  void Warn(WriteWarning warning) { result_.warnings.push_back(std::move(warning)); }
  // After the last entry: the central directory, and everything out of the buffer.
  WriteResult Finish();

 private:
  void SetTimes(EntryRecord& e, uint64_t modified, uint64_t accessed, uint64_t created);
  void SetReadTime(EntryRecord& e, uint64_t modified);
  void WriteCentralDirectory();

  Files& fs_;
  Crypto& crypto_;
  const std::vector<Item>& items_;
  const WriteSettings& settings_;
  BufferedOutput out_;
  const ProgressCallback& progress_;
  WriteResult result_;
  EntryRecord current_;
  uint64_t dataStart_ = 0;
  uint32_t crc_ = 0;
  std::unique_ptr<AesStream> aes_;  // large files: encrypted here, piece by piece
  AesKeys currentAes_;
  uint64_t bytesDone_ = 0, filesDone_ = 0;
};

}  // namespace zip
