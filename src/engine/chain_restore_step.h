#pragma once
// x -kette and l -kette over real archives: the named archive's chain found in its folder by
// the records' links, every directory read before anything is written, and from each archive
// the entries that hold that night's state. The restore then runs over them as over one archive
// whose entries lie in several files.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "engine/outcome.h"
#include "engine/sets/archive_record.h"
#include "zip/crypto.h"
#include "zip/zip_reader.h"

namespace dszip {

// A link of a chain that is missing, unreadable or of another set: the restore's message, and
// the link for those who name it in words of their own.
class ChainLinkError : public RunError {
 public:
  explicit ChainLinkError(const std::string& link);
  const std::string& Link() const { return link_; }

 private:
  std::string link_;
};

class ChainRestoreStep {
 public:
  // False when the named archive is no incremental (a full, a moved one, one without a
  // record): then -kette changes nothing. Otherwise reads every link back to the start of its
  // chain, as the sets engine links the folder (by identity, a renamed archive too); a link
  // missing, unreadable, of another set or swapped for another archive raises ChainLinkError,
  // naming it.
  bool Open(FileSystem& fs, const std::string& named, const std::vector<ArchiveEntry>& entries);

  // Every entry of the chain, oldest archive first, each archive in its own order.
  const std::vector<ArchiveEntry>& Entries() const { return entries_; }
  size_t PartOf(size_t entry) const { return partOf_.at(entry); }
  const std::string& ArchiveOf(size_t entry) const { return parts_[PartOf(entry)].path; }
  const std::string& NameOf(size_t entry) const { return parts_[PartOf(entry)].name; }
  size_t Archives() const { return parts_.size(); }
  const std::string& FirstName() const { return parts_.front().name; }

  // The named archive's state list first, then `selected`: it must open with the same password.
  std::vector<size_t> WithStateList(const std::vector<size_t>& selected) const;
  // Of `selected`, the entries that make the named night's state: each name from the newest
  // archive that holds it, names missing from the state list left out. `missing`: the files
  // of the state list that no archive of the chain holds.
  std::vector<size_t> Take(FileSystem& fs, Crypto& crypto,
                           const std::optional<std::string>& password,
                           const std::vector<size_t>& selected,
                           std::vector<std::string>& missing) const;
  // The names the named archive's state list holds; nothing when it has none or it cannot be
  // read (a wrong or missing password included).
  std::optional<std::vector<std::string>> StateNames(
      FileSystem& fs, Crypto& crypto, const std::optional<std::string>& password) const;

 private:
  struct Part {
    std::string path, name;
    sets::ArchiveRecord record;
    size_t first = 0, end = 0;  // its entries in entries_
  };
  std::optional<size_t> StateListEntry() const;

  std::vector<Part> parts_;
  std::vector<ArchiveEntry> entries_;
  std::vector<size_t> partOf_;
};

}  // namespace dszip
