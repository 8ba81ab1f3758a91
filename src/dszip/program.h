#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "dszip/console.h"
#include "dszip/file_system.h"
#include "dszip/outcome.h"
#include "zip/crypto.h"
#include "runlog/run_log.h"

namespace dszip {

// One whole run: command line, selection, archive written beside its final name, flushed,
// verified, moved into place, then attributes cleared or originals deleted. Returns the exit
// code; the summary goes to the console, to dszip.log beside the archive when its folder is
// there, and whatever the outcome to the central log and the event log.
int RunDszip(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
             Console& console, const std::atomic<bool>& cancelled, runlog::Sink& verdicts);

}  // namespace dszip
