#pragma once
// The restore commands over the one ZIP reader: x and e extract, with and without paths, t
// tests, l lists; an archive dropped on the program is extracted beside it.
#include <atomic>
#include <string>
#include <vector>

#include "dszip/console.h"
#include "dszip/file_system.h"
#include "dszip/verdict.h"
#include "zip/crypto.h"

namespace dszip {

// Parses the command line, refusing it in the restore's own words, and runs the command.
// Returns the exit code; the summary goes to the verdict.
int RunRestore(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
               Console& console, const std::atomic<bool>& cancelled, Verdict& verdict);

}  // namespace dszip
