#include "restore_window/history.h"

#include <algorithm>

#include "core/utf8.h"
#include "restore_window/texts.h"
#include "runlog/run_log.h"

namespace restore_window {
namespace {

// A log beyond this is no log of ours; only its end is read.
constexpr uint64_t kLogLimit = uint64_t{4} << 20;

// Bytes that are no UTF-8 shown as "?", so that a damaged log still reads.
std::string ValidUtf8(const std::string& line) {
  std::vector<uint32_t> points;
  if (DecodeUtf8(line, points)) return line;
  std::string shown = line;
  for (char& c : shown)
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  return shown;
}

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// "Ergebnis: Mit Warnungen (Exit-Code 1)": the words, and the code's meaning.
void TakeResult(const std::string& line, PastRun& run) {
  const std::string words = line.substr(std::string(texts::ResultPrefix).size());
  const size_t code = words.rfind(" (Exit-Code ");
  if (code == std::string::npos || words.back() != ')') return;  // a line cut short says nothing
  const std::string digits = words.substr(code + 12, words.size() - code - 13);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return;
  run.kind = digits == "0" ? RunResult::Ok : digits == "1" ? RunResult::Warning : RunResult::Failed;
  run.result = words.substr(0, code);
}

void TakeLine(const std::string& line, PastRun& run) {
  run.lines.push_back(line);
  if (StartsWith(line, texts::CommandPrefix) && run.command.empty())
    run.command = line.substr(std::string(texts::CommandPrefix).size());
  else if (StartsWith(line, texts::ArchivePrefix) && run.archive.empty())
    run.archive = line.substr(std::string(texts::ArchivePrefix).size());
  else if (StartsWith(line, texts::ResultPrefix))
    TakeResult(line, run);
  else if (run.command.empty() && run.lines.size() == 2)
    run.command = line;  // the launcher's one line says what it did
}

PastRun StartRun(const std::string& head) {
  PastRun run;
  const std::string rest = head.substr(std::string(texts::RecordHead).size());
  const size_t blank = rest.find(' ');
  run.program = rest.substr(0, blank);
  run.when = blank == std::string::npos ? "" : rest.substr(blank + 1);
  run.lines.push_back(head);
  return run;
}

void ReadRecords(const std::string& log, std::vector<PastRun>& runs) {
  bool inRecord = false;
  for (size_t at = 0; at < log.size();) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a new log's UTF-8 mark
    line = ValidUtf8(line);
    if (StartsWith(line, texts::RecordHead)) {
      runs.push_back(StartRun(line));
      inRecord = true;
    } else if (inRecord) {
      TakeLine(line, runs.back());
    }
  }
}

std::string ReadLog(dszip::FileSystem& fs, const std::string& path) {
  try {
    const auto file = fs.OpenRead(path);
    const uint64_t size = file->Info().size;
    const uint64_t from = size > kLogLimit ? size - kLogLimit : 0;
    file->Seek(from);
    std::string text(static_cast<size_t>(size - from), '\0');
    text.resize(zip::ReadFull(*file, reinterpret_cast<uint8_t*>(text.data()), text.size()));
    return text;
  } catch (const dszip::FileError&) {
    return {};
  }
}

}  // namespace

std::vector<PastRun> HistoryOf(const std::vector<std::string>& logs, size_t limit) {
  std::vector<PastRun> runs;
  for (const std::string& log : logs) ReadRecords(log, runs);
  std::reverse(runs.begin(), runs.end());  // newest first
  const auto rank = [](const PastRun& run) { return std::min(static_cast<int>(run.kind), 2); };
  std::stable_sort(runs.begin(), runs.end(),
                   [&rank](const PastRun& a, const PastRun& b) { return rank(a) < rank(b); });
  if (runs.size() > limit) runs.resize(limit);
  return runs;
}

std::vector<PastRun> ReadHistory(dszip::FileSystem& fs, const std::string& folder, size_t limit) {
  return HistoryOf(
      {ReadLog(fs, folder + runlog::kPreviousFileName), ReadLog(fs, folder + runlog::kFileName)},
      limit);
}

}  // namespace restore_window
