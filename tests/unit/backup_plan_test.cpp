#include "window_logic/backup_plan.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <vector>

namespace {

// Datum keeps its time of day. A function: the date helpers are not ready before main.
DateTime Day() { return EncodeDate(2024, 3, 5) + 0.5; }

// One run: the window's choices and the settings' values in, the plan out. Unset fields are
// those of a zip run of level "Schnellste", archive bit ignored, no password, and no
// earlier run that day.
struct Row {
  const char* what;
  RunChoices choices;
  RunSettings settings;
  const char* parameters;  // or the error's text
  const char* archive = "E:\\A\\20240305-0.zip";
  std::int32_t number = 0;
  std::set<std::string> existing = {};
};

RunChoices Zip(int compression = 1, int archiveBit = 0, std::string password = "") {
  return {.datum = Day(),
          .compression = compression,
          .archiveBit = archiveBit,
          .password = std::move(password),
          .command = "a",
          .extension = "zip"};
}

RunSettings Read(std::string pattern, std::string source = "-", std::string target = "E:\\A\\",
                 std::string form = "jmt", DateTime last = 0, std::int32_t number = 0) {
  return {.pattern = std::move(pattern),
          .dateForm = std::move(form),
          .source = std::move(source),
          .target = std::move(target),
          .lastDate = last,
          .lastNumber = number};
}

// clang-format off
std::vector<Row> Rows() {
  const DateTime sameDay = EncodeDate(2024, 3, 5), dayBefore = EncodeDate(2024, 3, 4);
  const std::int32_t largest = std::numeric_limits<std::int32_t>::max();
  return {
    {"typical", Zip(), Read("%s -m%s%s\"%s\" \"%s\"", "C:\\P\\*.*"),
     "a -ms -ai \"E:\\A\\20240305-0.zip\" \"C:\\P\\*.*\""},
    {"move, rar, best, archive bit set", {Day(), 5, 1, "", "m", "rar"}, Read("%s|%s|%s|%s"),
     "m|5| -ac -ao |E:\\A\\20240305-0.rar", "E:\\A\\20240305-0.rar"},
    {"target gets its backslash", Zip(), Read("%3:s", "-", "F:\\Doku"),
     "F:\\Doku\\20240305-0.zip", "F:\\Doku\\20240305-0.zip"},
    {"no target: a relative name", Zip(), Read("%3:s", "-", ""), "20240305-0.zip", "20240305-0.zip"},
    {"same day counts on", Zip(), Read("%3:s", "-", "E:\\A\\", "jmt", sameDay, 4),
     "E:\\A\\20240305-5.zip", "E:\\A\\20240305-5.zip", 5},
    {"another day starts at 0", Zip(), Read("%3:s", "-", "E:\\A\\", "jmt", dayBefore, 4),
     "E:\\A\\20240305-0.zip"},
    {"names that exist are skipped", Zip(), Read("%3:s"), "E:\\A\\20240305-2.zip",
     "E:\\A\\20240305-2.zip", 2, {"E:\\A\\20240305-0.zip", "E:\\A\\20240305-1.zip"}},
    {"after the largest number, the first free from 0", Zip(),
     Read("%3:s", "-", "E:\\A\\", "jmt", sameDay, largest), "E:\\A\\20240305-1.zip",
     "E:\\A\\20240305-1.zip", 1, {"E:\\A\\20240305-0.zip"}},
    // The date tag in the job's source.
    {"tag, form jmt", Zip(), Read("%4:s", "D:\\Daten\\%tag%\\*.*"), "D:\\Daten\\20240305\\*.*"},
    {"tag, form t.m.j", Zip(), Read("%4:s", "D:\\Daten\\%tag%\\*.*", "E:\\A\\", "t.m.j"),
     "D:\\Daten\\05.03.2024\\*.*"},
    {"tag, another form", Zip(), Read("%4:s", "D:\\Daten\\%tag%\\*.*", "E:\\A\\", "iso"),
     "D:\\Daten\\*.*"},
    {"tag in capitals", Zip(), Read("%4:s", "D:\\Daten\\%TAG%\\*.*"), "D:\\Daten\\%TAG%\\*.*"},
    {"tag at the end", Zip(), Read("%4:s", "D:\\%tag%"), "D:\\20240305\\"},
    {"first tag only", Zip(), Read("%4:s", "%tag%\\a %tag%\\b"), "20240305\\a %tag%\\b"},
    // The password switch goes after the first character.
    {"password", Zip(1, 0, "geheim"), Read("%s -x"), "a -hpgeheim -x"},
    {"password, empty text", Zip(1, 0, "geheim"), Read(""), " -hpgeheim"},
    {"password with a blank", Zip(1, 0, "zwei Worte"), Read("%s"), "a -hp\"zwei Worte\""},
    {"password with quotes", Zip(1, 0, "sag \"ja\""), Read("%s"), "a -hp\"sag \\\"ja\\\"\""},
    {"password with backslashes", Zip(1, 0, "C:\\ x\\"), Read("%s"), "a -hp\"C:\\ x\\\\\""},
    // A template the texts cannot fill: the number is taken all the same.
    {"bad template", Zip(), Read("%s %d"),
     "Format '%d' ung\xFCltig oder nicht kompatibel mit Argument"},
  };
}
// clang-format on

TEST(BackupPlanTest, NamesNumbersAndParameterTexts) {
  for (const Row& row : Rows()) {
    const BackupPlan plan = PlanBackup(row.choices, row.settings, [&](const std::string& name) {
      return row.existing.count(name) > 0;
    });
    EXPECT_EQ(plan.archive, row.archive) << row.what;
    EXPECT_EQ(plan.lastNumber, row.number) << row.what;
    EXPECT_EQ(plan.lastDate, EncodeDate(2024, 3, 5)) << row.what;
    EXPECT_EQ(plan.error.empty() ? plan.parameters : plan.error, row.parameters) << row.what;
  }
}

TEST(BackupPlanTest, CompressionCodesAndAttributeSwitches) {
  struct Level {
    int level;
    const char* zip;
    const char* other;
  };
  const Level levels[] = {{0, "0", "0"}, {1, "s", "1"}, {2, "n", "2"},  {3, "f", "3"},
                          {4, "x", "4"}, {5, "x", "5"}, {-1, "x", "-1"}};
  const char* const attributes[] = {"", " -ai ", " -ac -ao "};
  for (const char* extension : {"zip", "rar"})
    for (const Level& c : levels)
      for (int archiv = -1; archiv <= 1; ++archiv) {
        const RunChoices choices{.datum = Day(),
                                 .compression = c.level,
                                 .archiveBit = archiv,
                                 .password = "",
                                 .command = "a",
                                 .extension = extension};
        const BackupPlan plan =
            PlanBackup(choices, Read("%1:s|%s|"), [](const std::string&) { return false; });
        EXPECT_EQ(plan.parameters, std::string(extension == std::string("zip") ? c.zip : c.other) +
                                       "|" + attributes[archiv + 1] + "|")
            << extension << " level " << c.level << " archiv " << archiv;
      }
}

}  // namespace
