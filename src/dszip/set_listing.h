#pragma once
// b: the backup sets of a folder, and with -behalten: what the rules would keep and delete.
// It deletes nothing.
#include <string>
#include <vector>

#include "dszip/console.h"
#include "dszip/file_system.h"

namespace dszip {

bool IsSetListing(const std::vector<std::string>& arguments);

// Returns the exit code; a bad command line or rule raises RunError with kExitUsage.
int ListBackupSets(const std::vector<std::string>& arguments, FileSystem& fs, Console& console);

}  // namespace dszip
