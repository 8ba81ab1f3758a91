#pragma once
// The run log that every run of both programs appends to, in one place a user or an
// administrator finds whatever happened to the archive's folder. Its rules are plain C++;
// the file work is in run_log_win32.
#include <cstdint>
#include <string>
#include <vector>

namespace runlog {

// Below the user's local application data folder.
inline constexpr const char* kFolderName = "Datensicherung";
inline constexpr const char* kFileName = "dszip.log";
inline constexpr const char* kPreviousFileName = "dszip.alt.log";  // one file kept on rotation
inline constexpr uint64_t kRotateAt = uint64_t{1} << 20;           // 1 MiB

// One record: a head line naming the program and the time, then its lines, each ended by
// CR LF. The record is written whole, so no other run's lines come between.
std::string Record(const std::string& program, const std::string& when,
                   const std::vector<std::string>& lines);

// True when the record would take a non-empty log past the bound: the log is set aside first.
bool RotateBefore(uint64_t logSize, uint64_t recordSize);

// A command line with the text of every -hp or -p switch (any letter case, quoted or not) replaced
// by "***"; the rest stays as it was.
std::string MaskPasswords(const std::string& commandLine);

// One argument as the C runtime split it: a -hp or -p switch (any letter case) becomes the
// switch and "***", whatever quotes or blanks the password holds; anything else stays.
std::string MaskedArgument(const std::string& argument);

// Where a run's verdict goes besides the console: the central log and the system's event log.
class Sink {
 public:
  virtual ~Sink() = default;
  // The central log's folder, UTF-8, ending in "\".
  virtual std::string Folder() = 0;
  // Appends the record whole, or raises std::runtime_error with the reason and leaves the log
  // as it was.
  virtual void Append(const std::string& record) = 0;
  // An event log entry: information for 0, a warning for 1, an error for any other code.
  virtual void Report(int exitCode, const std::string& text) = 0;
};

}  // namespace runlog
