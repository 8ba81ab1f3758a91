// A pick in a night turned into restores, and those restores run through the engine.
#include <gtest/gtest.h>

#include "engine/outcome.h"
#include "nights.h"
#include "restore_window/night_tree.h"
#include "restore_window/restore_order.h"

namespace restore_window {
namespace {

using Lines = std::vector<std::string>;

// Night 1 holds Daten\a.txt, Daten\Sub\b.txt, Daten\Sub\Tief\t.txt and Post\p.txt (two
// sources); night 2 changes b.txt.
struct TwoNights : Nights {
  explicit TwoNights(const std::string& extra = "") {
    fs.AddFolder("C:\\Daten\\Sub");
    fs.AddFolder("C:\\Daten\\Sub\\Tief");
    fs.AddFolder("D:\\Post");
    fs.AddFile("C:\\Daten\\a.txt", "a1");
    fs.AddFile("C:\\Daten\\Sub\\b.txt", "b1");
    fs.AddFile("C:\\Daten\\Sub\\Tief\\t.txt", "t1");
    fs.AddFile("D:\\Post\\p.txt", "p1");
    EXPECT_EQ(Run(1, extra), dszip::kExitOk) << console.lines;
    fs.AddFile("C:\\Daten\\Sub\\b.txt", "b2");
    EXPECT_EQ(Run(2, extra), dszip::kExitOk) << console.lines;
  }
  int Run(int night, const std::string& extra) {
    fs.clock = 133000000000000000ull + static_cast<uint64_t>(night) * kDay;
    std::vector<std::string> arguments{"a", "-ac"};
    if (night > 1) arguments.emplace_back("-ao");
    if (!extra.empty()) arguments.push_back(extra);
    arguments.insert(arguments.end(), {Archive(night), "C:\\Daten", "D:\\Post\\*.txt"});
    return dszip::RunDszip(arguments, fs, crypto, console, cancelled, sink);
  }
  std::vector<TreeNode> Tree(const std::optional<std::string>& password = std::nullopt) {
    return ReadNight(fs, crypto, Archive(2), password).roots;
  }
};

const std::vector<std::string> kSources{"C:\\Daten", "D:\\Post\\*.txt"};

// A run as "target: masks | files".
Lines Described(const RestoreOrder& order) {
  Lines lines;
  for (const RestoreRun& run : order.runs) {
    std::string line = run.target + ":";
    for (const std::string& mask : run.masks) line += " " + mask;
    line += " |";
    for (const std::string& file : run.files) line += " " + file;
    lines.push_back(line);
  }
  for (const std::string& path : order.withoutOrigin) lines.push_back("ohne Ort: " + path);
  return lines;
}

TEST(RestoreOrder, APickBecomesMasksPerTarget) {
  TwoNights nights;
  const std::vector<TreeNode> tree = nights.Tree();
  const Destination folder{.original = false, .folder = "F:\\Neu", .replace = false};
  const Destination original{.original = true, .folder = "", .replace = false};
  const struct {
    const char* name;
    Lines picked;
    Destination destination;
    Lines runs;
  } rows[] = {
      {"the whole night into a folder needs no mask",
       {},
       folder,
       {"F:\\Neu\\: | Daten/Sub/Tief/t.txt Daten/Sub/b.txt Daten/a.txt p.txt"}},
      {"a folder brings every folder below it, each by its own mask",
       {"Daten/Sub"},
       folder,
       {"F:\\Neu\\: Daten\\Sub Daten\\Sub\\Tief | Daten/Sub/Tief/t.txt Daten/Sub/b.txt"}},
      {"single files, and nothing twice below a picked folder",
       {"daten/a.txt", "Daten/Sub/Tief", "Daten/Sub/Tief/t.txt"},
       folder,
       {"F:\\Neu\\: Daten\\Sub\\Tief Daten\\a.txt | Daten/Sub/Tief/t.txt Daten/a.txt"}},
      {"the original place: a run per source's folder",
       {},
       original,
       {"C:\\: Daten Daten\\Sub Daten\\Sub\\Tief | Daten/Sub/Tief/t.txt "
        "Daten/Sub/b.txt Daten/a.txt",
        "D:\\Post\\: p.txt | p.txt"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const RestoreOrder order =
        PlanRestore(Nights::Archive(2), tree, row.picked, row.destination, kSources);
    EXPECT_EQ(Described(order), row.runs);
  }
}

TEST(RestoreOrder, TheSourceThatTakesAPathIn) {
  const struct {
    const char* path;
    std::optional<std::string> folder;
  } rows[] = {
      {"Daten/x/y.doc", "C:\\"},       {"DATEN", "C:\\"},
      {"p.txt", "D:\\Post\\"},         {"Unter/q.txt", "D:\\Post\\"},
      {"Datenbank.doc", std::nullopt},
  };
  for (const auto& row : rows)
    EXPECT_EQ(OriginalFolder(kSources, row.path), row.folder) << row.path;
  EXPECT_EQ(OriginalFolder({"E:\\"}, "Fotos/1.jpg"), "E:\\");
}

TEST(RestoreOrder, RestoresExactlyThePickAsItWasThatNight) {
  TwoNights nights;
  const RestoreOrder order =
      PlanRestore(Nights::Archive(2), nights.Tree(), {"Daten/Sub", "p.txt"},
                  {.original = false, .folder = "F:\\Neu", .replace = false}, kSources);
  EXPECT_EQ(
      RunOrder(order, nights.fs, nights.crypto, nights.console, nights.sink, nights.cancelled),
      dszip::kExitOk)
      << nights.console.lines;
  EXPECT_EQ(nights.Content("F:\\Neu\\Daten\\Sub\\b.txt"), "b2");
  EXPECT_EQ(nights.Content("F:\\Neu\\Daten\\Sub\\Tief\\t.txt"), "t1");
  EXPECT_EQ(nights.Content("F:\\Neu\\p.txt"), "p1");
  EXPECT_EQ(nights.fs.Find("F:\\Neu\\Daten\\a.txt"), nullptr);
  // The whole night, which needs no mask, with every folder.
  const RestoreOrder whole =
      PlanRestore(Nights::Archive(2), nights.Tree(), {},
                  {.original = false, .folder = "F:\\Ganz", .replace = false}, kSources);
  RunOrder(whole, nights.fs, nights.crypto, nights.console, nights.sink, nights.cancelled);
  EXPECT_EQ(nights.Content("F:\\Ganz\\Daten\\Sub\\Tief\\t.txt"), "t1");
  EXPECT_EQ(nights.Content("F:\\Ganz\\p.txt"), "p1");
  // The counts began at nothing and ended at everything: 4 files of 2 bytes each.
  ASSERT_FALSE(nights.console.counts.empty());
  EXPECT_EQ(nights.console.counts.front().files, 0u);
  EXPECT_EQ(nights.console.counts.back().files, 4u);
  EXPECT_EQ(nights.console.counts.back().totalFiles, 4u);
  EXPECT_EQ(nights.console.counts.back().bytes, 8u);
  EXPECT_EQ(nights.console.counts.back().totalBytes, 8u);
  // The run left its record like every dszip run.
  EXPECT_NE(nights.sink.log.find("Aufruf: dszip x -kette -r- " + Nights::Archive(2)),
            std::string::npos)
      << nights.sink.log;
}

TEST(RestoreOrder, ExistingFilesAreCountedAndKeptUnlessReplaced) {
  for (const bool replace : {false, true}) {
    TwoNights nights;
    nights.fs.AddFile("C:\\Daten\\Sub\\b.txt", "neuer");
    const RestoreOrder order =
        PlanRestore(Nights::Archive(2), nights.Tree(), {},
                    {.original = true, .folder = "", .replace = replace}, kSources);
    EXPECT_EQ(CountExisting(nights.fs, order), 4u);
    RunOrder(order, nights.fs, nights.crypto, nights.console, nights.sink, nights.cancelled);
    EXPECT_EQ(nights.Content("C:\\Daten\\Sub\\b.txt"), replace ? "b2" : "neuer") << replace;
    // Kept files are done with too: the bar reaches its end.
    ASSERT_FALSE(nights.console.counts.empty());
    EXPECT_EQ(ProgressSteps(nights.console.counts.back()), kProgressSteps) << replace;
  }
}

TEST(RestoreOrder, APasswordIsAskedOnceForEveryRun) {
  TwoNights nights("-hpGeheim");
  nights.console.answer = "Geheim";
  nights.fs.Delete("C:\\Daten\\a.txt");
  nights.fs.Delete("D:\\Post\\p.txt");
  const RestoreOrder order =
      PlanRestore(Nights::Archive(2), nights.Tree("Geheim"), {"Daten/a.txt", "p.txt"},
                  {.original = true, .folder = "", .replace = false}, kSources);
  ASSERT_EQ(order.runs.size(), 2u);
  EXPECT_EQ(
      RunOrder(order, nights.fs, nights.crypto, nights.console, nights.sink, nights.cancelled),
      dszip::kExitOk)
      << nights.console.lines;
  EXPECT_EQ(nights.console.asked, 1);
  EXPECT_EQ(nights.Content("D:\\Post\\p.txt"), "p1");
  EXPECT_EQ(nights.sink.log.find("Geheim"), std::string::npos);  // masked in the log
}

TEST(RestoreOrder, CheckingTheFolderFollowsEveryChain) {
  TwoNights nights;
  EXPECT_EQ(RunFolderCheck("E:\\Archiv\\", nights.fs, nights.crypto, nights.console, nights.sink,
                           nights.cancelled),
            dszip::kExitOk)
      << nights.console.lines;
  nights.fs.Delete(Nights::Archive(1));  // night 2 now rests on nothing
  EXPECT_EQ(RunFolderCheck("E:\\Archiv\\", nights.fs, nights.crypto, nights.console, nights.sink,
                           nights.cancelled),
            dszip::kExitFatal)
      << nights.console.lines;
  EXPECT_NE(nights.sink.log.find("Aufruf: dszip t E:\\Archiv\\"), std::string::npos)
      << nights.sink.log;
}

TEST(RestoreOrder, TheProgressLineAndBar) {
  const uint64_t kMB = 1024 * 1024;
  const struct {
    dszip::ProgressCounts counts;
    const char* line;
    unsigned steps;
  } rows[] = {
      {{12, 40, kMB * 34 / 10, kMB * 102 / 10}, "12 von 40 Dateien, 3,4 von 10,2 MB", 333},
      {{0, 1, 0, 512}, "0 von 1 Datei, 0 von 512 Bytes", 0},
      {{1, 1, 1, 1}, "1 von 1 Datei, 1 von 1 Byte", kProgressSteps},
      {{1200, 3400, 700, 2 * kMB}, "1.200 von 3.400 Dateien, 0,0 von 2,0 MB", 0},
      {{1, 2, 0, 0}, "1 von 2 Dateien, 0 von 0 Bytes", 500},  // empty files: by files
      {{0, 0, 0, 0}, "0 von 0 Dateien, 0 von 0 Bytes", kProgressSteps},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ProgressLine(row.counts), row.line);
    EXPECT_EQ(ProgressSteps(row.counts), row.steps) << row.line;
  }
}

}  // namespace
}  // namespace restore_window
