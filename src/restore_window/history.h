#pragma once
// The last runs as the central log keeps them, for the "Verlauf" tab: failures first, then
// warnings, then the rest, each group newest first. The log is read as it is found: a record
// cut short, lines before the first record and bytes that are no UTF-8 are taken as they come.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/file_system.h"

namespace restore_window {

enum class RunResult { Failed, Warning, Ok, Unknown };

struct PastRun {
  std::string when;     // as the head line says it
  std::string program;  // "dszip", "Datensicherung", ...
  std::string command;  // the command line, or the first line of a record without one
  std::string archive;
  std::string result;  // the result line's words
  RunResult kind = RunResult::Unknown;
  std::vector<std::string> lines;  // the whole record, head line first
};

// The records of the logs' text, the older log's first; then sorted as the tab shows them and
// cut to `limit`.
std::vector<PastRun> HistoryOf(const std::vector<std::string>& logs, size_t limit);

// The central log and the one set aside before it, from the log's folder (ending in "\"); a
// log that is not there or cannot be read adds nothing.
std::vector<PastRun> ReadHistory(dszip::FileSystem& fs, const std::string& folder, size_t limit);

}  // namespace restore_window
