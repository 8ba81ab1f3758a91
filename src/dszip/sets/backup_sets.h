#pragma once
// The archives of one folder grouped into sets: those whose records name the same sources
// (compared as Windows compares paths). Several jobs sharing a folder are several sets; a
// file without a record belongs to none and is never touched.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dszip/sets/archive_record.h"

namespace dszip::sets {

// A file of the folder and the record its comment holds, if any.
struct FolderArchive {
  std::string name;
  std::optional<ArchiveRecord> record;
};

struct SetMember {
  std::string name;
  ArchiveRecord record;
  int64_t day = 0;  // the reference date as a day number (see calendar.h)
};

struct BackupSet {
  std::vector<std::string> sources;  // as the newest archive records them
  std::vector<SetMember> archives;   // oldest first
};

// The day a name "YYYYMMDD-n.zip" carries (any letter case); nothing for other names.
std::optional<int64_t> DayOfName(std::string_view name);

// Sets in the order their first archive appears in `files`. An archive's reference date is
// that of its name, else the day it was made (local time); archives are ordered by it, then
// by when they were made, then by name.
std::vector<BackupSet> GroupIntoSets(const std::vector<FolderArchive>& files);

}  // namespace dszip::sets
