// The restore window's history over any central log: every run it lists starts with a head
// line, its result words come from a whole result line, and the failures come first.
//
// Input: the log's text.

#include <string>

#include "fuzz_support.h"
#include "restore_window/history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string log(reinterpret_cast<const char*>(data), size);
  const auto runs = restore_window::HistoryOf({log.substr(0, size / 3), log}, 50);
  FUZZ_CHECK(runs.size() <= 50);
  bool pastFailures = false;
  for (const restore_window::PastRun& run : runs) {
    FUZZ_CHECK(!run.lines.empty() && run.lines[0].rfind("=== ", 0) == 0);
    FUZZ_CHECK(run.kind != restore_window::RunResult::Unknown || run.result.empty());
    if (run.kind != restore_window::RunResult::Failed) pastFailures = true;
    FUZZ_CHECK(!pastFailures || run.kind != restore_window::RunResult::Failed);
  }
  return 0;
}
