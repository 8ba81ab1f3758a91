// The central log's records as the "Verlauf" tab lists them.
#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "restore_window/history.h"
#include "runlog/run_log.h"

namespace restore_window {
namespace {

using Lines = std::vector<std::string>;

std::string DszipRecord(const std::string& when, const std::string& command, int exitCode,
                        const std::string& words) {
  return runlog::Record(
      "dszip", when,
      {"Aufruf: dszip " + command, "Archiv: E:\\Archiv\\" + when.substr(0, 2) + ".zip",
       "Ergebnis: " + words + " (Exit-Code " + std::to_string(exitCode) + ")"});
}

// A run as "when program command -> result".
Lines Described(const std::vector<PastRun>& runs) {
  Lines lines;
  for (const PastRun& run : runs)
    lines.push_back(run.when + " " + run.program + " " + run.command + " -> " + run.result);
  return lines;
}

TEST(History, FailuresFirstThenWarningsThenNewestFirst) {
  const std::string ok1 = DszipRecord("01.03.2024", "a x", 0, "Erfolgreich");
  const std::string failed2 = DszipRecord("02.03.2024", "a y", 2, "Fehlgeschlagen");
  const std::string warned3 = DszipRecord("03.03.2024", "a z", 1, "Mit Warnungen");
  const std::string launcher4 =
      runlog::Record("Datensicherung", "04.03.2024 21:00", {"Gestartet: dszip a"});
  const std::string ok5 = DszipRecord("05.03.2024", "x w", 0, "Erfolgreich");
  const struct {
    const char* name;
    std::vector<std::string> logs;  // the older log first
    Lines runs;
  } rows[] = {
      {"a rotated log is read before the current one",
       {ok1 + failed2, warned3 + launcher4 + ok5},
       {"02.03.2024 dszip dszip a y -> Fehlgeschlagen",
        "03.03.2024 dszip dszip a z -> Mit Warnungen", "05.03.2024 dszip dszip x w -> Erfolgreich",
        "04.03.2024 21:00 Datensicherung Gestartet: dszip a -> ",
        "01.03.2024 dszip dszip a x -> Erfolgreich"}},
      {"a log cut at both ends, with a mark and bytes that are no UTF-8",
       {"", "\xEF\xBB\xBF" + ok1.substr(10) +
                "=== dszip 06.03.2024\r\nAufruf: dszip a \xFC\xFF\r\n" + ok5 +
                failed2.substr(0, failed2.size() - 20)},
       {"02.03.2024 dszip dszip a y -> ", "05.03.2024 dszip dszip x w -> Erfolgreich",
        "06.03.2024 dszip dszip a ?? -> "}},
      {"no log at all", {"", ""}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Described(HistoryOf(row.logs, 100)), row.runs);
  }
  EXPECT_EQ(HistoryOf({ok1 + ok5 + failed2}, 2).size(), 2u);
}

TEST(History, ReadFromTheLogsFolder) {
  dszip::FakeFileSystem fs;
  fs.AddFolder("C:\\Log");
  fs.AddFile("C:\\Log\\dszip.alt.log", DszipRecord("01.03.2024", "a", 2, "Fehlgeschlagen"));
  fs.AddFile("C:\\Log\\dszip.log", DszipRecord("02.03.2024", "a", 0, "Erfolgreich"));
  const std::vector<PastRun> runs = ReadHistory(fs, "C:\\Log\\", 10);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].kind, RunResult::Failed);
  EXPECT_EQ(runs[0].archive, "E:\\Archiv\\01.zip");
  EXPECT_EQ(runs[0].lines.size(), 4u);
  EXPECT_TRUE(ReadHistory(fs, "C:\\Nirgends\\", 10).empty());
}

}  // namespace
}  // namespace restore_window
