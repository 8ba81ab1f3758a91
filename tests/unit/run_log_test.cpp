// The central run log's rules: record framing, when to rotate, masked passwords.
#include <gtest/gtest.h>

#include "runlog/run_log.h"

namespace {

TEST(RunLog, MasksEveryPassword) {
  const struct {
    const char* line;
    const char* masked;
    // clang-format off
  } rows[] = {
      {"a -hpGeheim -ms -ai E:\\x.zip C:\\D", "a -hp*** -ms -ai E:\\x.zip C:\\D"},
      {"a -hp\"zwei Worte\" -mx E:\\x.zip", "a -hp*** -mx E:\\x.zip"},
      {"a -hp\"mit \\\"Zitat\\\" drin\" E:\\x.zip", "a -hp*** E:\\x.zip"},
      {"a \"-hpzwei Worte\" E:\\x.zip", "a \"-hp***\" E:\\x.zip"},
      {"a\t-HPx\t-hpy", "a\t-HP***\t-hp***"},
      {"a -mx \"C:\\Ordner -hpNein\\x.zip\" C:\\-hp", "a -mx \"C:\\Ordner -hpNein\\x.zip\" C:\\-hp"},
      {"a -h -hp", "a -h -hp***"},
      {"x -pGeheim -o+ E:\\x.zip C:\\Ziel\\", "x -p*** -o+ E:\\x.zip C:\\Ziel\\"},
  };
  // clang-format on
  for (const auto& row : rows) EXPECT_EQ(runlog::MaskPasswords(row.line), row.masked) << row.line;
}

TEST(RunLog, RecordsAndRotation) {
  EXPECT_EQ(runlog::Record("dszip", "07.12.2026 18:00:00", {"Archiv: E:\\x.zip", "zwei\r\nZeilen"}),
            "=== dszip 07.12.2026 18:00:00\r\nArchiv: E:\\x.zip\r\nzwei  Zeilen\r\n");
  const struct {
    uint64_t size, record;
    bool rotate;
  } rows[] = {
      {0, 2 * runlog::kRotateAt, false},  // an empty log takes any record
      {runlog::kRotateAt - 100, 100, false},
      {runlog::kRotateAt - 100, 101, true},
      {runlog::kRotateAt + 5, 1, true},
  };
  for (const auto& row : rows)
    EXPECT_EQ(runlog::RotateBefore(row.size, row.record), row.rotate) << row.size;
}

}  // namespace
