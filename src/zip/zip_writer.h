#pragma once
// Writes the selected items into a ZIP file: local headers, data (compressed on the worker
// pool, encrypted when a password is given), central directory and end records.
#include <functional>
#include <string>
#include <vector>

#include "zip/crypto.h"
#include "zip/files.h"
#include "zip/write_items.h"

namespace zip {

// Throws ArchiveWriteFailed when the archive cannot be written; an item that cannot be read is
// left out with a warning.
WriteResult WriteArchive(Files& fs, Crypto& crypto, const std::vector<Item>& items,
                         const WriteSettings& settings, OutputFile& out,
                         const ProgressCallback& progress);

// Reads the written archive back: every header byte for byte, every entry's MAC, inflated
// data and CRC against what was read from the source, runs of entries on `threads` threads.
// The archive comment is compared with `comment`. Throws VerifyFailed on any difference.
void VerifyArchive(Files& fs, Crypto& crypto, const std::string& path,
                   const std::vector<WrittenEntry>& entries, unsigned threads,
                   const std::function<void(uint64_t bytesDone)>& progress,
                   const std::string& comment = {});

}  // namespace zip
