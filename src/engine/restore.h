#pragma once
// The restores over the one ZIP reader: x and e extract, with and without paths, t tests, l
// lists, t <folder>\ judges a whole folder; an archive dropped on dszip is extracted beside it.
// dszip's command line and the restore window both run them from here.
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "engine/console.h"
#include "engine/file_system.h"
#include "engine/restore_options.h"
#include "engine/verdict.h"
#include "runlog/run_log.h"
#include "zip/crypto.h"

namespace dszip {

// Runs the restore the options name. Returns the exit code; the summary goes to the verdict.
// The console hears the progress, in files and bytes too.
int RunRestore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
               const std::atomic<bool>& cancelled, Verdict& verdict);

// The same, with a verdict of its own: the records in the central log and the event log name the
// restore by its CommandWords.
int RunRestore(const RestoreOptions& options, FileSystem& fs, Crypto& crypto, Console& console,
               const std::atomic<bool>& cancelled, runlog::Sink& sink);

// x -kette: the night `archive` restored from its chain into `target` (ending in "\"). Masks
// take only their own folder's files; none takes the whole night. `replace`: -o+. `password`:
// Windows-1252 bytes, else the console is asked once for the whole chain.
RestoreOptions NightRestore(const std::string& archive, const std::string& target,
                            const std::vector<std::string>& masks, bool replace,
                            const std::optional<std::string>& password);

// t <folder>\ (`folder` ending in "\"): every archive and every chain judged; it asks for no
// password.
RestoreOptions FolderTest(const std::string& folder, const std::optional<std::string>& password);

// The options as dszip's command line says them, for the records.
std::vector<std::string> CommandWords(const RestoreOptions& options);

}  // namespace dszip
