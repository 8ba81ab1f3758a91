// Backup sets over whole runs on the fake file system: what a and m record, the state list of
// -ao, and thinning only after a verified run, through identity-checked deletions.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "dszip/outcome.h"
#include "dszip/program.h"
#include "dszip/sets/set_texts.h"
#include "dszip/sets/state_list.h"
#include "fake_crypto.h"
#include "fake_file_system.h"
#include "fake_sink.h"

namespace dszip {
namespace {

struct LinesConsole : Console {
  std::string lines;
  void Progress(const std::string&) override {}
  void Line(const std::string& text) override { lines += text + "\n"; }
};

constexpr uint64_t kDay = 864000000000ull;

// Night n writes E:\Archiv\2024030n-0.zip at the n-th day of the fake clock.
std::string NightArchive(int night) {
  return "E:\\Archiv\\2024030" + std::to_string(night) + "-0.zip";
}

struct SetRuns : ::testing::Test {
  FakeFileSystem fs;
  FakeCrypto crypto;
  LinesConsole console;
  FakeSink verdicts;
  std::atomic<bool> cancelled{false};

  void Reset() {
    fs = FakeFileSystem();
    verdicts = FakeSink();
    console.lines.clear();
    fs.AddFolder("C:\\Daten");
    fs.AddFolder("E:\\Archiv");
    fs.AddFile("C:\\Daten\\neu.txt", "ge\xC3\xA4ndert seit der letzten Sicherung");
    fs.AddFile("C:\\Daten\\alt.txt", "schon gesichert", 0);
  }
  int Night(int night, const std::string& switches) {
    fs.clock = 133000000000000000ull + static_cast<uint64_t>(night) * kDay;
    std::vector<std::string> arguments{switches.rfind("m", 0) == 0 ? "m" : "a"};
    for (size_t at = arguments[0] == "m" ? 2 : 0; at < switches.size();) {
      const size_t end = std::min(switches.find(' ', at), switches.size());
      if (end > at) arguments.push_back(switches.substr(at, end - at));
      at = end + 1;
    }
    arguments.push_back(NightArchive(night));
    arguments.push_back("C:\\Daten\\*.*");
    return RunDszip(arguments, fs, crypto, console, cancelled, verdicts);
  }
  std::vector<int> NightsLeft() {
    std::vector<int> nights;
    for (int night = 1; night <= 9; ++night)
      if (fs.Find(NightArchive(night))) nights.push_back(night);
    return nights;
  }
};

TEST_F(SetRuns, RecordsAndThinning) {
  const struct {
    const char* name;
    std::vector<const char*> before;  // switches of the nights before, from night 1
    std::function<void(SetRuns&, int night)> arrange;  // before every night
    const char* switches;                              // this night's
    int exitCode;
    std::vector<int> left;               // nights whose archive is there afterwards
    std::vector<std::string> said;       // on the console, and so in the logs
    std::vector<std::string> inArchive;  // bytes of this night's archive (stored, -m0)
    // clang-format off
  } rows[] = {
      {"an incremental records its place and carries its state list", {"-ai", "-ao"}, {},
       "-ao -m0", kExitOk, {1, 2, 3},
       {"folgt auf 20240302-0.zip"},
       {"dszip-Sicherungssatz, Format 2\r\nKennung: ", "Art: inkrementell\r\nNummer: 3\r\n",
        "Computer: BUERO1\r\nFolgt auf: 20240302-0.zip\r\nFolgt auf Kennung: ",
        "Quelle: C:\\Daten\\*.*\r\n", sets::kStateListName,
        "\talt.txt\r\n",  // not stored, no archive attribute, but it exists
        "\tneu.txt\r\n"}},
      {"an incremental with nothing before it still belongs to its set", {}, {}, "-ao -behalten:1",
       kExitOk, {1}, {"dieses Archiv folgt auf keines", "Dieser Lauf"}, {}},
      {"a full records its kind and no link", {}, {}, "-m0", kExitOk, {1},
       {}, {"Art: voll\r\n", "Unterordner: -r\r\n"}},
      {"a bad rule writes nothing", {"-ai"}, {}, "-behalten:7X", kExitUsage, {1},
       {"Ung\u00fcltige Regel \u201e7X\u201c"}, {}},
      {"thinned after a verified run", {"-ai", "-ai", "-ai"}, {}, "-behalten:2", kExitOk, {3, 4},
       {"Beim Ausd\u00fcnnen gel\u00f6scht (2):\n  20240301-0.zip\n  20240302-0.zip\n",
        "  20240304-0.zip: Dieser Lauf, Neueste 2\n"}, {}},
      {"nothing thinned after a failed check", {"-ai", "-ai"},
       [](SetRuns& f, int night) {
         if (night == 3) f.fs.beforeClose = [](std::vector<uint8_t>& zip) { zip[zip.size() / 2] ^= 1; };
       },
       "-behalten:1", kExitFatal, {1, 2}, {}, {}},
      {"a moved run thins nothing", {"-ai", "-ai"}, {}, "m -behalten:1", kExitOk, {1, 2, 3},
       {"Hinweise (1):\n  -behalten wirkt nicht bei m"}, {"Art: verschoben\r\n"}},
      {"a warning run keeps the last whole copy of what it could not store",
       {"-ai", "-ai", "-ai"},
       [](SetRuns& f, int night) {  // night 3 could not store it either
         if (night == 3) f.fs.unreadable.insert("C:\\Daten\\neu.txt");
       },
       "-behalten:1", kExitWarning, {2, 4},
       {std::string("  20240302-0.zip: ") + sets::texts::KeptForWarnings}, {}},
      {"a folder not read tonight stops the thinning", {"-ai", "-ai"},
       [](SetRuns& f, int night) {
         f.fs.AddFolder("C:\\Daten\\Post");
         f.fs.AddFile("C:\\Daten\\Post\\brief.txt", "Brief");
         if (night == 3) f.fs.unreadable.insert("C:\\Daten\\Post");
       },
       "-behalten:1", kExitWarning, {1, 2, 3}, {sets::texts::NotThinnedUnknown}, {}},
      {"a deletion that fails is a warning, the rest goes on", {"-ai", "-ai", "-ai"},
       [](SetRuns& f, int night) { if (night == 4) f.fs.locked.insert(NightArchive(1)); },
       "-behalten:1", kExitWarning, {1, 4},
       {"Nicht gel\u00f6scht beim Ausd\u00fcnnen: 20240301-0.zip (Zugriff verweigert)"}, {}},
      {"a chain stays whole when its newest link cannot go", {"-ai", "-ao", "-ao", "-ai"},
       [](SetRuns& f, int night) { if (night == 5) f.fs.locked.insert(NightArchive(3)); },
       "-behalten:1", kExitWarning, {1, 2, 3, 5},
       {"  20240302-0.zip: bleibt, weil 20240303-0.zip nicht gel\u00f6scht werden konnte\n"}, {}},
      {"a look-alike swapped in is not deleted", {"-ai", "-ai"},
       [](SetRuns& f, int night) {
         if (night != 3) return;
         f.fs.beforeOpen = [&f](const std::string& path) {  // thinning has read night 1 by then
           if (path == NightArchive(3)) f.fs.Find(NightArchive(1))->info.changed++;
         };
       },
       "-behalten:1", kExitWarning, {1, 3}, {"20240301-0.zip (seit dem Lesen"}, {}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    for (size_t i = 0; i < row.before.size(); ++i) {
      if (row.arrange) row.arrange(*this, static_cast<int>(i) + 1);
      ASSERT_LE(Night(static_cast<int>(i) + 1, row.before[i]), kExitWarning) << console.lines;
    }
    const int night = static_cast<int>(row.before.size()) + 1;
    console.lines.clear();
    verdicts = FakeSink();
    if (row.arrange) row.arrange(*this, night);
    EXPECT_EQ(Night(night, row.switches), row.exitCode) << console.lines;
    EXPECT_EQ(NightsLeft(), row.left) << console.lines;
    for (const std::string& text : row.said) {
      EXPECT_NE(console.lines.find(text), std::string::npos) << text << "\n" << console.lines;
      const std::string line = text.substr(0, text.find('\n', 3));
      EXPECT_NE(verdicts.log.find(line), std::string::npos) << text;
      EXPECT_NE(verdicts.events.find(line), std::string::npos) << text;
      if (row.exitCode < kExitFatal) {
        EXPECT_NE(fs.Content("E:\\Archiv\\dszip.log").find(line), std::string::npos) << text;
      }
    }
    const std::string archive = fs.Content(NightArchive(night));
    for (const std::string& bytes : row.inArchive)
      EXPECT_NE(archive.find(bytes), std::string::npos) << bytes;
  }
}

}  // namespace
}  // namespace dszip
