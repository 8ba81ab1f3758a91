#pragma once
// t <folder>\ on the console: one line per archive, one verdict per set, a total; the verdict
// in the central log and the event log as every run's.
#include <atomic>

#include "dszip/command_line.h"
#include "dszip/console.h"
#include "dszip/file_system.h"
#include "dszip/verdict.h"
#include "zip/crypto.h"

namespace dszip {

// Exit 0 when everything is sound, 1 when something is doubtful, 2 when an archive is damaged
// or a chain broken (or the folder cannot be read), 255 when interrupted.
int RunFolderTest(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
                  const std::atomic<bool>& cancelled, Verdict& verdict);

}  // namespace dszip
