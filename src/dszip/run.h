#pragma once
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "dszip/crypto.h"
#include "dszip/file_system.h"
#include "runlog/run_log.h"

namespace dszip {

class Console {
 public:
  virtual ~Console() = default;
  virtual void Progress(const std::string& line) = 0;  // replaces the previous progress line
  virtual void Line(const std::string& text) = 0;      // stays

  // Restoring: a password typed without echo; nothing when no console is attached.
  virtual std::optional<std::string> AskPassword(const std::string& prompt) {
    (void)prompt;
    return std::nullopt;
  }
};

// One whole run: command line, selection, archive written beside its final name, flushed,
// verified, moved into place, then attributes cleared or originals deleted. Returns the exit
// code; the summary goes to the console, to dszip.log beside the archive when its folder is
// there, and whatever the outcome to the central log and the event log.
int RunDszip(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
             Console& console, const std::atomic<bool>& cancelled, runlog::Sink& verdicts);

// The last line of every summary: "Ergebnis: Erfolgreich (Exit-Code 0)" and the like.
std::string ResultLine(int exitCode);

}  // namespace dszip
