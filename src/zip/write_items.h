#pragma once
// What the ZIP writer is given and what it gives back: the items, the settings, the entries as
// written and the warnings about items that went in other than whole.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zip/aes_zip.h"
#include "zip/files.h"
#include "zip/zip_records.h"

namespace zip {

// What goes into the archive, in archive order.
struct Item {
  std::string path;        // for Files::OpenRead
  std::string storedName;  // "/" separated; a folder entry ends in "/"
  FileInfo info;           // as seen when selected
  bool IsFolder() const { return !storedName.empty() && storedName.back() == '/'; }
};

struct WrittenEntry {
  EntryRecord record;
  size_t item = 0;         // index into the items
  bool unchanged = false;  // the source looked the same at open and at the end of its read
  AesKeys aes;             // when encrypted
  FileInfo read;           // the source as read: what a move or -ac compares with
};

struct WriteSettings {
  int level = 6;
  std::optional<std::string> password;
  unsigned threads = 1;
  bool identify = false;  // each file's identity recorded as read: a deletion or clearing follows
  std::string comment;    // the archive comment, at most 65,535 bytes
};

// An item that went in other than whole and as it was read.
struct WriteWarning {
  enum Kind {
    Unreadable,        // not archived: it could not be read
    ChangedWhileRead,  // archived, but it kept changing while it was read
    GrewPastHeader,    // not archived: it grew past 4 GiB while it was read
  };
  Kind kind = Unreadable;
  size_t item = 0;
  std::string reason;  // Unreadable: the FileError's words
};

struct WriteResult {
  std::vector<WrittenEntry> entries;
  std::vector<WriteWarning> warnings;
  uint64_t archiveSize = 0;
};

// Called now and then with the bytes read so far; throws to stop.
using ProgressCallback = std::function<void(uint64_t bytesRead, uint64_t filesDone)>;

}  // namespace zip
