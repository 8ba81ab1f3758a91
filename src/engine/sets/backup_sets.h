#pragma once
// The archives of one folder grouped into sets, each archive's link resolved and checked, and
// the doubts the folder gives. A set is the archives made on one computer that name the same
// sources (compared as Windows compares paths); records of format 1 have no computer and join
// the one set of their sources that has. A file without a record belongs to none and is never
// touched; a file that cannot be read, or whose record starts like one but does not parse, is
// a doubt: it might be any set's newest.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sets/archive_record.h"

namespace dszip::sets {

// A file of the folder and the record its comment holds, if any.
struct FolderArchive {
  std::string name;
  std::optional<ArchiveRecord> record;
  DirectoryDigest directory;  // as read
  std::string unreadable;     // why it could not be read; empty when it could
};

inline constexpr size_t kNoArchive = static_cast<size_t>(-1);

// Start: a full, a moved archive, or an incremental that recorded no link. Linked: the archive
// it names is there, in the set, with the recorded directory. Missing: not there (a format 1
// link goes by name, a format 2 link by identity). Swapped: there, but another directory.
enum class LinkState { Start, Linked, Missing, Swapped };

struct SetMember {
  std::string name;
  ArchiveRecord record;
  int64_t day = 0;  // the reference date as a day number (see calendar.h)
  DirectoryDigest directory;
  size_t previous = kNoArchive;  // the archive it follows, in the set
  LinkState link = LinkState::Start;
  bool whole = true;  // linked all the way back to its chain's start
};

struct BackupSet {
  std::vector<std::string> sources;  // as the newest archive records them
  std::string computer;              // empty for a set of format 1 records only
  std::vector<SetMember> archives;   // oldest first
};

// The day a name "YYYYMMDD-n.zip" carries (any letter case); nothing for other names.
std::optional<int64_t> DayOfName(std::string_view name);

// Sets in the order their first archive appears in `files`. Archives of format 1 come first,
// ordered by reference date (that of the name, else the day made), then by when they were
// made, then by name; those of format 2 after them by number, equal numbers by name.
std::vector<BackupSet> GroupIntoSets(const std::vector<FolderArchive>& files);

struct FolderSets {
  std::vector<BackupSet> sets;
  std::vector<std::string> doubts;  // each names a file and why: the folder is not thinned
  std::vector<std::string> notes;   // said under "Hinweise"
  bool unreadable = false;          // a file might be any set's newest: no link is taken
};

// `now`: the run's clock in seconds since 1970 (UTC); a record dated after it is a doubt.
FolderSets ReadFolderSets(const std::vector<FolderArchive>& files, int64_t now);

// The set a record of this run belongs to, if the folder has it.
const BackupSet* SetOf(const FolderSets& folder, const ArchiveRecord& record);
// The set holding the named archive, and that archive.
std::pair<const BackupSet*, const SetMember*> Holding(const FolderSets& folder,
                                                      const std::string& name);

// What a new archive of a set follows: the archive with the highest number, the name that
// sorts last between equal numbers (`note` then names them). Nothing for an empty set, and
// nothing with a `doubt` when that archive's chain is broken or it shares its identity with
// another file: a link is then a guess.
const SetMember* NewestOf(const BackupSet& set, std::string& doubt, std::string& note);
uint64_t NextNumber(const BackupSet* set);

// The archive a member follows, by name; empty when none.
std::string PreviousName(const BackupSet& set, const SetMember& member);

// The first link that breaks a member's chain, as "<archive> (<why>)"; empty when whole.
std::string GapOf(const BackupSet& set, const SetMember& member);

}  // namespace dszip::sets
