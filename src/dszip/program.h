#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "engine/console.h"
#include "engine/file_system.h"
#include "runlog/run_log.h"
#include "zip/crypto.h"

namespace dszip {

// No arguments, "/?" or "-h": the help, every command with its switches and the exit codes.
bool IsHelpRequest(const std::vector<std::string>& arguments);

// One run of dszip: the command its arguments name, the backup (a, m) or a restore (x, e, t, l,
// archives dropped on the program). Returns the exit code; the summary goes to the console, to
// dszip.log beside a backup's archive when its folder is there, and whatever the outcome to the
// central log and the event log.
int RunDszip(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
             Console& console, const std::atomic<bool>& cancelled, runlog::Sink& verdicts);

}  // namespace dszip
