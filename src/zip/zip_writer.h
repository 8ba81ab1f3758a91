#pragma once
// Writes the selected items into a ZIP file: local headers, data (compressed on the worker
// pool, encrypted when a password is given), central directory and end records.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dszip/aes_zip.h"
#include "dszip/crypto.h"
#include "dszip/file_system.h"
#include "dszip/selection.h"
#include "dszip/zip_records.h"

namespace dszip {

struct WrittenEntry {
  EntryRecord record;
  size_t item = 0;         // index into the selection
  bool unchanged = false;  // the source looked the same at open and at the end of its read
  AesKeys aes;             // when encrypted
  FileInfo read;           // the source as read: what a move or -ac compares with
};

struct WriteSettings {
  int level = 6;
  std::optional<std::string> password;
  unsigned threads = 1;
};

struct WriteResult {
  std::vector<WrittenEntry> entries;
  std::vector<std::string> warnings;
  uint64_t archiveSize = 0;
};

// Called now and then with the bytes read so far; throws to stop.
using ProgressCallback = std::function<void(uint64_t bytesRead, uint64_t filesDone)>;

WriteResult WriteArchive(FileSystem& fs, Crypto& crypto, const Selection& selection,
                         const WriteSettings& settings, OutputFile& out,
                         const ProgressCallback& progress);

// Reads the written archive back: every header byte for byte, every entry's MAC, inflated
// data and CRC against what was read from the source, runs of entries on `threads` threads.
// Throws RunError on any difference.
void VerifyArchive(FileSystem& fs, Crypto& crypto, const std::string& path,
                   const std::vector<WrittenEntry>& entries, unsigned threads,
                   const std::function<void(uint64_t bytesDone)>& progress);

}  // namespace dszip
