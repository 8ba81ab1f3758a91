// Backup sets over whole runs on the fake file system: what a and m record, the state list of
// -ao, and thinning only after a verified run, through identity-checked deletions.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "dszip/program.h"
#include "engine/outcome.h"
#include "engine/sets/archive_record.h"
#include "engine/sets/set_texts.h"
#include "engine/sets/state_list.h"
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

constexpr uint64_t kMonths = 9 * 30 * kDay;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.rfind(from);
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The archive with another comment, its length in the end record with it.
std::string WithComment(std::string zip, const std::string& comment) {
  zip.resize(zip.rfind("PK\x05\x06") + 20);
  zip += static_cast<char>(comment.size() & 0xFF);
  zip += static_cast<char>(comment.size() >> 8);
  return zip + comment;
}

// A night's archive with its record changed.
template <typename Change>
std::string Edited(const std::string& zip, Change change) {
  sets::ArchiveRecord record = sets::ParseRecord(zip.substr(zip.rfind("PK\x05\x06") + 22)).value();
  change(record);
  return WithComment(zip, sets::FormatRecord(record));
}

// The record as runs before identities wrote it.
std::string FirstFormat(const std::string& zip) {
  return Edited(zip, [](sets::ArchiveRecord& record) {
    record.id.clear();
    record.followsId.clear();
  });
}

struct SetRuns : ::testing::Test {
  FakeFileSystem fs;
  FakeCrypto crypto;
  LinesConsole console;
  FakeSink verdicts;
  std::atomic<bool> cancelled{false};
  uint64_t ahead = 0;  // the clock's error

  void Reset() {
    ahead = 0;
    fs = FakeFileSystem();
    verdicts = FakeSink();
    console.lines.clear();
    fs.AddFolder("C:\\Daten");
    fs.AddFolder("E:\\Archiv");
    fs.AddFile("C:\\Daten\\neu.txt", "ge\xC3\xA4ndert seit der letzten Sicherung");
    fs.AddFile("C:\\Daten\\alt.txt", "schon gesichert", 0);
  }
  int Night(int night, const std::string& switches) {
    fs.clock = 133000000000000000ull + static_cast<uint64_t>(night) * kDay + ahead;
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
      // Doubts: nothing is deleted, the run says why and ends with 1.
      {"a clock ahead by months, then put right: followed by number", {"-ai", "-ao", "-ao", "-ao"},
       [](SetRuns& f, int night) { f.ahead = night == 2 || night == 3 ? kMonths : 0; },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4, 5},
       {"folgt auf 20240304-0.zip", "Hinweise (", "Ausd\u00fcnnen ausgelassen: 20240302-0.zip ist auf",
        "sp\u00e4ter als die Uhr dieses Laufs."}, {"Nummer: 5\r\n"}},
      {"a held archive in the middle of a chain", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) { if (night == 4) f.fs.unreadable.insert(NightArchive(2)); },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4},
       {"folgt auf keines, denn 20240302-0.zip ist nicht lesbar (von einem anderen Programm gesperrt)",
        "Ausd\u00fcnnen ausgelassen: 20240302-0.zip ist nicht lesbar"}, {}},
      {"a held archive at the end of a chain", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) { if (night == 4) f.fs.unreadable.insert(NightArchive(3)); },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4},
       {"Ausd\u00fcnnen ausgelassen: 20240303-0.zip ist nicht lesbar"}, {}},
      {"a record that starts like one but does not parse", {"-ai", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 3) f.fs.AddFile("E:\\Archiv\\notiz.zip", Replaced(f.fs.Content(NightArchive(2)), "Art: ", "Art:_"));
       },
       "-ao -behalten:1", kExitWarning, {1, 2, 3},
       {"notiz.zip ist nicht lesbar (die Angaben zum Satz im Kommentar lassen sich nicht lesen)"}, {}},
      {"a copied record", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 4) f.fs.AddFile("E:\\Archiv\\notiz.zip", f.fs.Content(NightArchive(3)));
       },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4},
       {"folgt auf keines, denn notiz.zip teilt seine Kennung mit einer anderen Datei",
        "Ausd\u00fcnnen ausgelassen: 20240303-0.zip und notiz.zip tragen dieselbe Kennung"}, {}},
      {"a copied record with a later date", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 4)
           f.fs.AddFile("E:\\Archiv\\notiz.zip",
                        Replaced(f.fs.Content(NightArchive(3)), "Erstellt: 2022", "Erstellt: 2029"));
       },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4},
       {"tragen dieselbe Kennung", "notiz.zip ist auf"}, {}},
      {"a copied record with a higher number", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 4)
           f.fs.AddFile("E:\\Archiv\\notiz.zip",
                        Replaced(f.fs.Content(NightArchive(3)), "Nummer: 3", "Nummer: 9"));
       },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4},
       {"notiz.zip teilt seine Kennung", "tragen dieselbe Kennung"}, {}},
      {"a predecessor swapped for another archive of its set", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 4)
           f.fs.AddFile(NightArchive(2), Replaced(f.fs.Content(NightArchive(2)), "neu.txt", "neu.txu"));
       },
       "-ao -behalten:1", kExitWarning, {1, 2, 3, 4},
       {"20240302-0.zip ist nicht mehr das Archiv, auf das 20240303-0.zip folgt",
        "Ausd\u00fcnnen ausgelassen: 20240304-0.zip folgt auf kein Archiv"}, {}},
      {"a chain with a gap below the newest", {"-ai", "-ao", "-ao", "-ao"},
       [](SetRuns& f, int night) { if (night == 5) f.fs.Delete(NightArchive(3)); },
       "-ao -behalten:1", kExitWarning, {1, 2, 4, 5},
       {"die Kette von 20240304-0.zip ist unterbrochen: 20240303-0.zip fehlt"}, {}},
      {"a gap in a chain that stays", {"-ai", "-ao", "-ao", "-ai"},
       [](SetRuns& f, int night) { if (night == 5) f.fs.Delete(NightArchive(2)); },
       "-ai -behalten:3", kExitWarning, {1, 3, 4, 5},
       {"Ausd\u00fcnnen ausgelassen: die Kette von 20240303-0.zip ist unterbrochen: 20240302-0.zip fehlt."}, {}},
      // What only looked like doubt: followed and thinned as it should be.
      {"a renamed full", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) { if (night == 4) f.fs.MoveNoReplace(NightArchive(1), "E:\\Archiv\\20240301-0-alt.zip"); },
       "-ao -behalten:1", kExitOk, {2, 3, 4}, {"20240301-0-alt.zip: Kette von 20240304-0.zip"}, {}},
      {"a renamed middle archive", {"-ai", "-ao", "-ao", "-ai"},
       [](SetRuns& f, int night) { if (night == 5) f.fs.MoveNoReplace(NightArchive(2), "E:\\Archiv\\20240302-0-alt.zip"); },
       "-ao -behalten:2", kExitOk, {4, 5}, {"Beim Ausd\u00fcnnen gel\u00f6scht (3):\n  20240303-0.zip\n  20240302-0-alt.zip\n  20240301-0.zip\n"}, {}},
      {"a renamed newest archive", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) { if (night == 4) f.fs.MoveNoReplace(NightArchive(3), "E:\\Archiv\\20240303-0-alt.zip"); },
       "-ao -behalten:1", kExitOk, {1, 2, 4},
       {"folgt auf 20240303-0-alt.zip", "20240303-0-alt.zip: Kette von 20240304-0.zip"}, {}},
      {"a forged record of format 1 is no link", {"-ai", "-ao", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 4) f.fs.AddFile("E:\\Archiv\\notiz.zip", FirstFormat(f.fs.Content(NightArchive(3))));
       },
       "-ao -behalten:1", kExitOk, {1, 2, 3, 4}, {"folgt auf 20240303-0.zip"}, {}},
      {"records of format 1 followed and thinned with new ones", {"-ai", "-ao"},
       [](SetRuns& f, int night) {
         for (int old = 1; night == 3 && old <= 2; ++old)
           f.fs.AddFile(NightArchive(old), FirstFormat(f.fs.Content(NightArchive(old))));
       },
       "-ao -behalten:1", kExitOk, {1, 2, 3}, {"folgt auf 20240302-0.zip", "20240301-0.zip: Kette von"},
       {"Nummer: 1\r\n"}},
      {"two computers with the same sources are two sets", {"-ai", "-ai", "-ai"},
       [](SetRuns& f, int night) { f.fs.computerName = night < 4 ? "BUERO2" : "BUERO1"; },
       "-ai -behalten:1", kExitOk, {1, 2, 3, 4}, {"  20240304-0.zip: Dieser Lauf"}, {"Computer: BUERO1\r\n"}},
      {"two runs at once of one set: the same number, the later name followed", {"-ai", "-ao"},
       [](SetRuns& f, int night) {
         if (night == 3)
           f.fs.AddFile("E:\\Archiv\\20240302-1.zip", Edited(f.fs.Content(NightArchive(2)),
                                                          [](sets::ArchiveRecord& r) { r.id[0] = r.id[0] == '0' ? '1' : '0'; }));
       },
       "-ao -behalten:1", kExitOk, {1, 2, 3},
       {"20240302-0.zip und 20240302-1.zip tragen dieselbe Nummer 2 (zwei L\u00e4ufe zugleich); ein neues Archiv folgt auf 20240302-1.zip.",
        "20240302-0.zip: Gleiche Nummer wie 20240302-1.zip"}, {}},
      {"the name taken between the start of a run and its rename", {"-ai"},
       [](SetRuns& f, int night) {
         if (night != 2) return;
         f.fs.beforeOpen = [&f](const std::string& path) {  // the check reads the new archive
           if (path.find(".dszip-tmp") != std::string::npos && !f.fs.Find(NightArchive(2)))
             f.fs.AddFile(NightArchive(2), "ein anderer Lauf");
         };
       },
       "-ai -behalten:1", kExitOk, {2},
       {"Der Name E:\\Archiv\\20240302-0.zip ist von einem anderen Lauf vergeben",
        "das Archiv hei\u00dft E:\\Archiv\\20240302-1.zip."}, {}},
      {"the name taken by an archive another run made just before this one started", {"-ai"},
       [](SetRuns& f, int night) { if (night == 2) f.Night(2, "-ai"); },
       "-ai -behalten:2", kExitOk, {2},
       {"das Archiv hei\u00dft E:\\Archiv\\20240302-1.zip.", "gel\u00f6scht (1):\n  20240301-0.zip\n"}, {}},
      {"an archive another run deleted meanwhile is a note", {"-ai", "-ai"},
       [](SetRuns& f, int night) {
         if (night != 3) return;
         f.fs.beforeOpen = [&f](const std::string& path) {  // thinning has read night 1 by then
           if (path == NightArchive(3) && f.fs.Find(NightArchive(1))) f.fs.Delete(NightArchive(1));
         };
       },
       "-ai -behalten:1", kExitOk, {3},
       {"20240301-0.zip war beim Ausd\u00fcnnen schon gel\u00f6scht"}, {}},
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

// x -kette and l -kette over three nights (a full, two incrementals), the folder changed after.
TEST_F(SetRuns, ChainRestoreFollowsIdentities) {
  const struct {
    const char* name;
    std::function<void(SetRuns&)> arrange;  // after the nights
    const char* command;
    int exitCode;
    std::vector<std::string> said;
    // clang-format off
  } rows[] = {
      {"a renamed middle archive is still found", [](SetRuns& f) {
         f.fs.MoveNoReplace(NightArchive(2), "E:\\Archiv\\alt.zip");
       }, "x", kExitOk, {"Stand aus einer Kette von 3 Archiven"}},
      {"a predecessor swapped for another archive", [](SetRuns& f) {
         f.fs.AddFile(NightArchive(2), Replaced(f.fs.Content(NightArchive(2)), "neu.txt", "neu.txu"));
       }, "x", kExitFatal, {"20240302-0.zip ist nicht mehr das Archiv, auf das 20240303-0.zip folgt"}},
      {"a file of the night's state list no archive holds", [](SetRuns&) {}, "l", kExitWarning,
       {"Nicht wiederhergestellt: alt.txt (in der Zustandsliste dieser Nacht, aber in keinem Archiv der Kette)"}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    const bool holeInFull = row.exitCode == kExitWarning;  // the full could not read alt.txt
    if (holeInFull) fs.unreadable.insert("C:\\Daten\\alt.txt");
    ASSERT_LE(Night(1, "-ai"), kExitWarning);
    fs.unreadable.clear();
    ASSERT_EQ(Night(2, "-ao"), kExitOk) << console.lines;
    ASSERT_EQ(Night(3, "-ao"), kExitOk) << console.lines;
    row.arrange(*this);
    console.lines.clear();
    std::vector<std::string> arguments{row.command, "-kette", NightArchive(3)};
    if (std::string(row.command) == "x") arguments.push_back("F:\\Ziel\\");
    EXPECT_EQ(RunDszip(arguments, fs, crypto, console, cancelled, verdicts), row.exitCode)
        << console.lines;
    for (const std::string& text : row.said)
      EXPECT_NE(console.lines.find(text), std::string::npos) << text << "\n" << console.lines;
    if (row.exitCode == kExitOk) {
      EXPECT_EQ(fs.Content("F:\\Ziel\\alt.txt"), "schon gesichert");
    }
  }
}

}  // namespace
}  // namespace dszip
