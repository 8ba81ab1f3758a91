#pragma once
// t <folder>\ on the console: one line per archive, one verdict per set, a total; the verdict
// in the central log and the event log as every run's.
#include <atomic>
#include <cstddef>
#include <string>

#include "engine/console.h"
#include "engine/file_system.h"
#include "engine/restore_options.h"
#include "engine/sets/backup_sets.h"
#include "engine/verdict.h"
#include "zip/crypto.h"

namespace dszip {

// The words t <folder>\ uses for a set and an archive's kind, which b uses too.
std::string SetLine(size_t number, const sets::BackupSet& set);
const char* KindText(sets::ArchiveKind kind);

// Exit 0 when everything is sound, 1 when something is doubtful, 2 when an archive is damaged
// or a chain broken (or the folder cannot be read), 255 when interrupted.
int RunFolderTest(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
                  const std::atomic<bool>& cancelled, Verdict& verdict);

}  // namespace dszip
