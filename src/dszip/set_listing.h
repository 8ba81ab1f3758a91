#pragma once
// b: the backup sets of a folder, and with -behalten: what the rules would keep and delete.
// It deletes nothing.
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "engine/sets/backup_sets.h"
#include "engine/verdict.h"

namespace dszip {

bool IsSetListing(const std::vector<std::string>& arguments);

// Returns the exit code; a bad command line or rule is refused with kExitUsage, an unreadable
// folder with kExitFatal.
int ListBackupSets(const std::vector<std::string>& arguments, FileSystem& fs, Verdict& verdict);

}  // namespace dszip
