#pragma once
// The backup, a and m: command line, selection, archive written beside its final name, flushed,
// verified, moved into place, then attributes cleared or originals deleted.
#include <atomic>
#include <string>
#include <vector>

#include "engine/console.h"
#include "engine/file_system.h"
#include "engine/verdict.h"
#include "zip/crypto.h"

namespace dszip {

// Returns the exit code; the summary goes to the verdict, with dszip.log beside the archive.
int RunBackup(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
              Console& console, const std::atomic<bool>& cancelled, Verdict& verdict);

}  // namespace dszip
