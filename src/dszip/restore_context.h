#pragma once
// What the parts of a restore share: the archive as read, its options, the seams, and the
// warnings and notes its summary names.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "dszip/command_line.h"
#include "dszip/console.h"
#include "dszip/file_system.h"
#include "dszip/verdict.h"
#include "zip/crypto.h"
#include "zip/zip_reader.h"

namespace dszip {

// An entry to be written or checked, and where it goes (empty when only checked).
struct Planned {
  size_t entry = 0;
  std::string path;
};

// Warnings about entries, from any thread; the summary names them in the archive's order.
class EntryWarnings {
 public:
  // Names come from the archive: no control character reaches the console.
  void Add(size_t entry, std::string text);
  std::vector<std::string> InEntryOrder();

 private:
  std::mutex mutex_;
  std::vector<std::pair<size_t, std::string>> warnings_;
};

struct RestoreContext {
  const RestoreOptions& options;
  FileSystem& fs;
  Crypto& crypto;
  Console& console;
  Verdict& verdict;
  const std::atomic<bool>& cancelled;
  std::string archive{};  // its full path
  std::vector<ArchiveEntry> entries{};
  EntryWarnings warnings{};
  std::vector<std::string> notes{};
};

// An entry's modification time in the file system's ticks: the exact one when the archive
// holds it, else the DOS time as local time.
uint64_t ModifiedTicks(FileSystem& fs, const ArchiveEntry& entry);

// "1 Datei", "2 Dateien".
std::string FileCount(uint64_t files);

// What the restore calls a method or an encryption it cannot read.
std::string MethodName(const ArchiveEntry& entry);

// Control characters of a name from the archive, made visible as "?".
std::string Printable(std::string text);

}  // namespace dszip
