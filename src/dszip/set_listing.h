#pragma once
// b: the backup sets of a folder, and with -behalten: what the rules would keep and delete.
// It deletes nothing.
#include <string>
#include <vector>

#include "dszip/file_system.h"
#include "dszip/sets/backup_sets.h"
#include "dszip/verdict.h"

namespace dszip {

// The words b uses for a set and an archive's kind, which t <folder>\ uses too.
std::string SetLine(size_t number, const sets::BackupSet& set);
const char* KindText(sets::ArchiveKind kind);

bool IsSetListing(const std::vector<std::string>& arguments);

// Returns the exit code; a bad command line or rule is refused with kExitUsage, an unreadable
// folder with kExitFatal.
int ListBackupSets(const std::vector<std::string>& arguments, FileSystem& fs, Verdict& verdict);

}  // namespace dszip
