#pragma once
// What the parts of a restore share: the archive as read, its options, the seams, and the
// warnings and notes its summary names.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/chain_restore_step.h"
#include "engine/console.h"
#include "engine/file_system.h"
#include "engine/restore_options.h"
#include "engine/verdict.h"
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
  // x -kette, l -kette: the entries of a chain of archives, the named one's last.
  ChainRestoreStep chain{};
  bool chained = false;

  // Where an entry lies: with -kette, in one of the chain's archives.
  size_t PartOf(size_t entry) const { return chained ? chain.PartOf(entry) : 0; }
  const std::string& ArchiveOf(size_t entry) const {
    return chained ? chain.ArchiveOf(entry) : archive;
  }
  // The order in which the entries lie: archive by archive, front to back.
  bool Before(size_t a, size_t b) const {
    return std::pair(PartOf(a), entries[a].record.offset) <
           std::pair(PartOf(b), entries[b].record.offset);
  }
};

// The state list an incremental archive carries for x -kette, which is never written out.
bool IsStateList(const ArchiveEntry& entry);

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
