#pragma once
// The restore commands over the one ZIP reader: x and e write each file under a temporary
// name beside its final one and rename it only once its MAC, size and CRC are checked; t
// checks and writes nothing; l lists.
#include <atomic>
#include <string>

#include "dszip/command_line.h"
#include "dszip/console.h"
#include "dszip/file_system.h"
#include "zip/crypto.h"

namespace dszip {

// Returns the exit code; the summary goes to the console.
int RunRestore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
               const std::atomic<bool>& cancelled);

// Creates the folder an archive dropped on the program unpacks into: beside it, named after
// it, with " (2)", " (3)" ... when the name is taken. Returns it with a trailing "\".
std::string CreateDroppedTarget(FileSystem& fs, const std::string& archive);

}  // namespace dszip
