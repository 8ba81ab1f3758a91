#pragma once
// Where a run shows what it does: dszip's console window, the restore window, or a test's
// recorder.
#include <cstdint>
#include <optional>
#include <string>

namespace dszip {

// How far a restore is: its files and their bytes (as written), settled of all it plans.
struct ProgressCounts {
  uint64_t files = 0, totalFiles = 0;
  uint64_t bytes = 0, totalBytes = 0;
};

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

  // Restoring: the counts, at the start, a few times a second from any of the restore's threads,
  // and at the end. A console that shows the progress line alone ignores them.
  virtual void Counted(const ProgressCounts& counts) { (void)counts; }
};

}  // namespace dszip
