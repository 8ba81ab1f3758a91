// Restoring on the fake file system: round trips, hostile archives, existing files, passwords.
#include <gtest/gtest.h>
#include <zlib.h>

#include <deque>
#include <functional>
#include <map>
#include <random>

#include "dszip/command_line.h"
#include "dszip/program.h"
#include "engine/sets/archive_record.h"
#include "engine/sets/state_list.h"

#include "zip/cp437.h"
#include "zip/stored_name.h"
#include "zip/zip_reader.h"
#include "zip/zip_records.h"
#include "fake_crypto.h"
#include "fake_file_system.h"
#include "fake_sink.h"

namespace dszip {
namespace {

constexpr const char* kArchive = "E:\\Archiv\\x.zip";

struct AnsweringConsole : Console {
  std::string lines;
  std::deque<std::string> answers;  // typed passwords; none: no console
  void Progress(const std::string&) override {}
  void Line(const std::string& text) override { lines += text + "\n"; }
  std::optional<std::string> AskPassword(const std::string&) override {
    if (answers.empty()) return std::nullopt;
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Stored entries with names and sizes as given, as a hostile writer would make them.
// With `oneData`, every entry points at the first one's data.
std::string HandMadeZip(const std::vector<std::pair<std::string, std::string>>& files,
                        uint64_t sizeCut = 0, bool oneData = false) {
  Bytes zip, central;
  for (const auto& [name, data] : files) {
    EntryRecord e;
    e.name = name;
    e.method = kMethodStore;
    e.dosTime = 0x58650000;
    e.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    e.compressedSize = data.size();
    e.size = data.size() - std::min<uint64_t>(sizeCut, data.size());
    e.offset = oneData ? 0 : zip.size();
    const Bytes local = LocalHeader(e), header = CentralHeader(e);
    if (!oneData || zip.empty()) {
      zip.insert(zip.end(), local.begin(), local.end());
      zip.insert(zip.end(), data.begin(), data.end());
    }
    central.insert(central.end(), header.begin(), header.end());
  }
  const Bytes end = EndRecords(files.size(), zip.size(), central.size());
  zip.insert(zip.end(), central.begin(), central.end());
  zip.insert(zip.end(), end.begin(), end.end());
  return std::string(zip.begin(), zip.end());
}

struct RestoreFixture : ::testing::Test {
  FakeFileSystem fs;
  FakeCrypto crypto;
  AnsweringConsole console;
  FakeSink verdicts;
  std::atomic<bool> cancelled{false};

  void SetUp() override {
    fs.AddFolder("C:\\Daten");
    fs.AddFolder("C:\\Daten\\leer");
    fs.AddFolder("E:\\Archiv");
    fs.AddFile("C:\\Daten\\19.txt", std::string(19, 'x'));
    fs.AddFile("C:\\Daten\\20.txt", std::string(20, 'y'), kAttrReadOnly);
    fs.AddFile(
        "C:\\Daten\\Gr\xC3\xB6\xC3\x9F"
        "e \xD0\x96.txt",
        "Umlaute");
    std::mt19937 random(11);
    std::string noise(3 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    fs.AddFile("C:\\Daten\\rauschen.bin", noise);
    fs.Find("C:\\Daten\\rauschen.bin")->info.modified = 132000000001234567ull;
    // Stored for its first piece; the text after it is compressed while that verdict is out.
    fs.AddFile("C:\\Daten\\gemischt.bin", noise.substr(0, 1 << 20) + std::string(2 << 20, 'T'));
  }
  int Dszip(const std::vector<std::string>& arguments) {
    return RunDszip(arguments, fs, crypto, console, cancelled, verdicts);
  }
  void Backup(const std::vector<std::string>& switches = {}) {
    std::vector<std::string> arguments{"a"};
    arguments.insert(arguments.end(), switches.begin(), switches.end());
    arguments.insert(arguments.end(), {kArchive, "C:\\Daten\\*.*"});
    ASSERT_EQ(Dszip(arguments), kExitOk) << console.lines;
  }
  void PutZip(const std::string& bytes) { fs.AddFile(kArchive, bytes); }
  // Every path that is neither the sources, the archive folder nor below the target.
  std::vector<std::string> Outside() {
    std::vector<std::string> paths;
    for (const std::string& path : fs.Paths())
      if (path.rfind("C:\\Daten", 0) != 0 && path.rfind("E:\\Archiv", 0) != 0 &&
          path.rfind("F:\\Ziel\\", 0) != 0 && path != "F:\\Ziel")
        paths.push_back(path);
    return paths;
  }
};

TEST_F(RestoreFixture, RoundTripKeepsDataTimesAttributesAndEmptyFolders) {
  for (const char* password : {"", "-hpGeheim"}) {
    SCOPED_TRACE(password);
    fs.nodes.erase("e:\\archiv\\x.zip");
    fs.nodes.erase("e:\\archiv\\dszip.log");
    for (const std::string& path : fs.Paths())
      if (path.rfind("F:", 0) == 0) fs.nodes.erase(AsciiLower(path));
    Backup(*password ? std::vector<std::string>{password} : std::vector<std::string>{});
    console.answers = {"falsch", "Geheim"};
    EXPECT_EQ(Dszip({"t", kArchive}), kExitOk) << console.lines;
    console.answers = {"Geheim"};
    EXPECT_EQ(Dszip({"x", kArchive, "F:\\Ziel\\"}), kExitOk) << console.lines;
    const auto sources = fs.nodes;
    for (const auto& [key, node] : sources) {
      if (key.rfind("c:\\daten\\", 0) != 0) continue;
      const auto* restored = fs.Find("F:\\Ziel\\" + node.path.substr(9));
      ASSERT_NE(restored, nullptr) << node.path;
      EXPECT_EQ(restored->data, node.data) << node.path;
      EXPECT_EQ(restored->info.attributes & (kAttrReadOnly | kAttrFolder),
                node.info.attributes & (kAttrReadOnly | kAttrFolder));
      if (!node.info.IsFolder()) {
        EXPECT_EQ(restored->info.modified, node.info.modified) << node.path;  // to 100 ns
      }
    }
    EXPECT_TRUE(Outside().empty());
  }
}

TEST_F(RestoreFixture, HostileArchivesWriteNothingOutsideTheTarget) {
  const std::string bomb(5000, 'B');
  const struct {
    const char* name;
    std::string zip;
    std::vector<std::string> switches;
    int exitCode;
    std::vector<std::string> restored;
    // clang-format off
  } rows[] = {
      {"refused names",
       HandMadeZip({{"../boese.txt", "x"}, {"a/../../boese.txt", "x"}, {"/abs.txt", "x"}, {"C:/boot.ini", "x"},
                    {"\\\\server\\share\\x", "x"}, {"//?/C:/x", "x"}, {"ads.txt:stream", "x"}, {"CON", "x"},
                    {"sub/nul.txt", "x"}, {"LPT9.log", "x"}, {"punkt.", "x"}, {"blank ", "x"}, {"ctl\x01.txt", "x"},
                    {"gut.txt", "gut"}, {"GUT.TXT", "doppelt"}, {"gut.txt", "nochmal"}}),
       {},
       kExitWarning,
       {"F:\\Ziel\\gut.txt"}},
      {"a bomb stops at its size", HandMadeZip({{"bombe.bin", bomb}, {"ok.txt", "ok"}}, 1), {}, kExitWarning, {}},
      {"two names, one data", HandMadeZip({{"a.txt", "abc"}, {"b.txt", "abc"}}, 0, true), {}, kExitWarning,
       {"F:\\Ziel\\a.txt"}},
      {"-r- keeps to the top level", HandMadeZip({{"a.txt", "a"}, {"sub/b.txt", "b"}}), {"-r-"}, kExitOk,
       {"F:\\Ziel\\a.txt"}},
      {"truncated", HandMadeZip({{"a.txt", "abc"}}).substr(0, 40), {}, kExitFatal, {}},
      {"flipped byte", [] { std::string z = HandMadeZip({{"a.txt", "abc"}, {"b.txt", "def"}}); z[z.find("abc")] ^= 1; return z; }(),
       {}, kExitWarning, {"F:\\Ziel\\b.txt"}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    console.lines.clear();
    SetUp();
    PutZip(row.zip);
    std::vector<std::string> arguments{"x", kArchive, "F:\\Ziel\\"};
    arguments.insert(arguments.begin() + 1, row.switches.begin(), row.switches.end());
    EXPECT_EQ(Dszip(arguments), row.exitCode) << console.lines;
    EXPECT_TRUE(Outside().empty()) << Outside().front();
    std::vector<std::string> restored;
    for (const std::string& path : fs.Paths())
      if (path.rfind("F:\\Ziel\\", 0) == 0) restored.push_back(path);
    EXPECT_EQ(restored, row.restored);
  }
  // An exact repeat is no case difference.
  EXPECT_NE(verdicts.log.find("(steht schon fr\u00fcher im Archiv): gut.txt"), std::string::npos);
  EXPECT_EQ(fs.Content("F:\\Ziel\\b.txt"), "def");
}

TEST_F(RestoreFixture, ExistingFilesAndPasswords) {
  Backup({"-hpGeheim"});
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::deque<std::string> answers;
    int exitCode;
    std::string content;  // of 19.txt afterwards
    bool renameFails;
    // clang-format off
  } rows[] = {
      {"kept and named", {"e", "-pGeheim", kArchive, "F:\\Ziel\\", "*.txt"}, {}, kExitWarning, "alt", false},
      {"kept quietly", {"e", "-pGeheim", "-o-", kArchive, "F:\\Ziel\\", "*.txt"}, {}, kExitOk, "alt", false},
      {"replaced", {"e", "-pGeheim", "-o+", kArchive, "F:\\Ziel\\", "*.txt"}, {}, kExitOk, std::string(19, 'x'),
       false},
      {"a quoted target with names after it, as the C runtime splits them",
       {"e", "-pGeheim", "-o+", kArchive, "F:\\Ziel\" 19.txt"}, {}, kExitOk, std::string(19, 'x'), false},
      {"replace refused, the old file kept as it was", {"x", "-pGeheim", "-o+", kArchive, "F:\\Ziel\\", "19.txt"}, {},
       kExitWarning, "alt", true},
      {"wrong password", {"x", "-pfalsch", kArchive, "F:\\Ziel\\"}, {}, kExitBadPassword, "alt", false},
      {"three wrong tries", {"x", kArchive, "F:\\Ziel\\"}, {"a", "b", "c", "Geheim"}, kExitBadPassword, "alt", false},
      {"no console to ask", {"x", kArchive, "F:\\Ziel\\"}, {}, kExitUsage, "alt", false},
      {"a quote left in the target", {"x", "-pGeheim", kArchive, "\"F:\\Ziel\\"}, {}, kExitUsage, "alt", false},
      {"a typed password outside Windows-1252 costs one try", {"x", kArchive, "F:\\Ziel\\"},
       {"\xD0\x96", "Geheim"}, kExitWarning, "alt", false},
      {"a typed password longer than dszip writes is tried", {"x", kArchive, "F:\\Ziel\\"},
       {std::string(100, 'z'), "Geheim"}, kExitWarning, "alt", false},
      {"so is one on the command line", {"t", "-p" + std::string(120, 'z'), kArchive}, {}, kExitBadPassword,
       "alt", false},
      {"a folder typed without its backslash is the target", {"e", "-pGeheim", "-o+", kArchive, "F:\\Ziel", "*.txt"},
       {}, kExitOk, std::string(19, 'x'), false},
      {"a name that is neither entry nor folder", {"x", "-pGeheim", kArchive, "F:\\Zeil"}, {}, kExitWarning, "alt",
       false},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const std::string& path : fs.Paths())
      if (path.rfind("F:", 0) == 0) fs.nodes.erase(AsciiLower(path));
    fs.AddFolder("F:\\Ziel");
    fs.AddFile("F:\\Ziel\\19.txt", "alt", kAttrReadOnly | kAttrArchive);
    fs.moveFails = row.renameFails;
    console.answers = row.answers;
    EXPECT_EQ(Dszip(row.arguments), row.exitCode) << console.lines;
    EXPECT_EQ(fs.Content("F:\\Ziel\\19.txt"), row.content);
    if (row.content == "alt") {
      EXPECT_EQ(fs.Find("F:\\Ziel\\19.txt")->info.attributes, kAttrReadOnly | kAttrArchive);
    }
    for (const std::string& path : fs.Paths())
      EXPECT_EQ(path.find(".dszip-tmp"), std::string::npos) << path;
  }
  // Every restore leaves its record, the password masked.
  EXPECT_NE(verdicts.log.find("Aufruf: dszip x -p*** "), std::string::npos) << verdicts.log;
  EXPECT_EQ(verdicts.log.find("-pfalsch"), std::string::npos);
  EXPECT_NE(verdicts.events.find(std::to_string(kExitBadPassword) + ": "), std::string::npos);
  // The restore's own words: no backup usage, no "nothing unpacked" for t.
  EXPECT_EQ(console.lines.find("dszip a|m"), std::string::npos) << console.lines;
  EXPECT_NE(console.lines.find("Das Kennwort ist falsch.\nErgebnis"), std::string::npos);
  EXPECT_NE(console.lines.find("ist aber ein vorhandener Ordner"), std::string::npos);
  EXPECT_NE(console.lines.find("etwa \u201eF:\\Zeil\\\u201c"), std::string::npos) << console.lines;
}

TEST_F(RestoreFixture, FailuresLeaveNoHalfWrittenFile) {
  Backup({"-m0"});
  const struct {
    const char* name;
    std::function<void(FakeFileSystem&)> arrange;
    const char* file;  // not there afterwards
    int exitCode;
    const char* said;  // in the central log
    // clang-format off
  } rows[] = {
      {"disk full", [](FakeFileSystem& f) { f.writeLimit = 1 << 20; }, "rauschen.bin", kExitFatal,
       "Entpacken abgebrochen: Datentr\u00e4ger voll"},
      {"rename refused, the file read-only already", [](FakeFileSystem& f) { f.moveFails = true; }, "20.txt",
       kExitWarning, "Entpackt: 0 Dateien"},
      {"a killed run's temporary file removed", [](FakeFileSystem& f) { f.AddFile("F:\\Ziel\\20.txt.17-7.dszip-tmp", "halb"); },
       "20.txt.17-7.dszip-tmp", kExitOk, "Entpackt: 5 Dateien"},
      {"a failure of another kind", [](FakeFileSystem& f) { f.beforeOpen = [](const std::string&) { throw std::runtime_error("E/A"); }; },
       "19.txt", kExitFatal, "Entpacken abgebrochen: E/A"},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const std::string& path : fs.Paths())
      if (path.rfind("F:", 0) == 0) fs.nodes.erase(AsciiLower(path));
    fs.writeLimit = UINT64_MAX;
    fs.moveFails = false;
    fs.beforeOpen = nullptr;
    verdicts = FakeSink();
    row.arrange(fs);
    EXPECT_EQ(Dszip({"x", kArchive, "F:\\Ziel\\"}), row.exitCode) << console.lines;
    EXPECT_NE(verdicts.log.find(row.said), std::string::npos) << verdicts.log;
    EXPECT_EQ(fs.Find(std::string("F:\\Ziel\\") + row.file), nullptr);
    for (const std::string& path : fs.Paths())
      EXPECT_EQ(path.find(".dszip-tmp"), std::string::npos) << path;
  }
}

// The record in the comment of an archive that has none.
std::string WithRecord(std::string zip, sets::ArchiveKind kind, const std::string& follows) {
  sets::ArchiveRecord record;
  record.kind = kind;
  record.follows = follows;
  record.sources = {"C:\\Daten\\*.*"};
  const std::string comment = sets::FormatRecord(record);
  zip[zip.size() - 2] = static_cast<char>(comment.size() & 0xFF);
  zip[zip.size() - 1] = static_cast<char>(comment.size() >> 8);
  return zip + comment;
}

// An archive of a set as a and m write it: its record in the comment, an incremental's state
// list as an entry.
std::string SetArchive(std::vector<std::pair<std::string, std::string>> files, const char* follows,
                       const std::vector<std::string>& state) {
  if (*follows) {
    std::vector<sets::StateEntry> entries;
    for (const std::string& name : state) entries.push_back({name, 2, 0});
    files.emplace_back(sets::kStateListName, sets::FormatStateList(entries));
  }
  return WithRecord(HandMadeZip(files),
                    *follows ? sets::ArchiveKind::Incremental : sets::ArchiveKind::Full, follows);
}

// A real encrypted backup as the full, a night after it: one password for the chain, asked once,
// each file read from its own archive.
TEST_F(RestoreFixture, ChainAsksForThePasswordOnce) {
  Backup({"-hpGeheim"});
  fs.AddFile("E:\\Archiv\\20240304-0.zip", fs.Content(kArchive));  // a full, by its record
  fs.AddFile("E:\\Archiv\\20240305-0.zip",
             SetArchive({{"19.txt", "neu"}}, "20240304-0.zip", {"19.txt", "20.txt"}));
  console.answers = {"Geheim", "Geheim"};
  EXPECT_EQ(Dszip({"x", "-kette", "E:\\Archiv\\20240305-0.zip", "F:\\Ziel\\"}), kExitOk)
      << console.lines;
  EXPECT_EQ(console.answers.size(), 1u);
  EXPECT_EQ(fs.Content("F:\\Ziel\\19.txt"), "neu");
  EXPECT_EQ(fs.Content("F:\\Ziel\\20.txt"), std::string(20, 'y'));
  EXPECT_EQ(fs.Find("F:\\Ziel\\rauschen.bin"), nullptr);
  // Listing needs no password while the state list is readable.
  console.answers.clear();
  EXPECT_EQ(Dszip({"l", "-kette", "E:\\Archiv\\20240305-0.zip"}), kExitOk) << console.lines;
}

// A full, then two nights: b changed and e added; then a changed and c deleted.
TEST_F(RestoreFixture, ChainRestoresANightWhole) {
  using Tree = std::map<std::string, std::string>;
  const Tree full{{"a.txt", "a1"}, {"b.txt", "b1"}, {"c.txt", "c1"}, {"sub\\d.txt", "d1"}};
  Tree middle = full, last;
  middle["b.txt"] = "b2";
  middle["e.txt"] = "e2";
  last = middle;
  last.erase("a.txt");  // as the newest archive spells it
  last["A.TXT"] = "a3";
  last.erase("c.txt");
  const std::string zips[] = {
      SetArchive({{"a.txt", "a1"}, {"b.txt", "b1"}, {"c.txt", "c1"}, {"sub/d.txt", "d1"}}, "", {}),
      SetArchive({{"b.txt", "b2"}, {"e.txt", "e2"}}, "20240304-0.zip",
                 {"a.txt", "b.txt", "c.txt", "sub/", "sub/d.txt", "e.txt"}),
      SetArchive({{"A.TXT", "a3"}}, "20240305-0.ZIP", {"a.txt", "B.txt", "sub/d.txt", "e.txt"})};
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    Tree restored;
    const char* gone = "";  // an archive missing from the folder
    const char* said = "";
    // clang-format off
  } rows[] = {
      {"the middle night", {"x", "-kette", "E:\\Archiv\\20240305-0.zip", "F:\\Ziel\\"}, kExitOk, middle},
      {"the last night, c deleted", {"x", "-kette", "E:\\Archiv\\20240306-0.zip", "F:\\Ziel\\"}, kExitOk, last},
      {"masks within the night", {"x", "-kette", "E:\\Archiv\\20240306-0.zip", "F:\\Ziel\\", "-r-", "?.txt"}, kExitOk,
       {{"A.TXT", "a3"}, {"b.txt", "b2"}, {"e.txt", "e2"}}},
      {"on a full, as without", {"x", "-kette", "E:\\Archiv\\20240304-0.zip", "F:\\Ziel\\"}, kExitOk, full},
      {"without -kette one night alone, no state list, and how to get it whole",
       {"x", "E:\\Archiv\\20240306-0.zip", "F:\\Ziel\\"}, kExitOk, {{"A.TXT", "a3"}}, "",
       "Vollsicherung 20240304-0.zip, entpackt: dszip x -kette \"E:\\Archiv\\20240306-0.zip\" \"F:\\Ziel\\\""},
      {"the same with a link missing", {"e", "E:\\Archiv\\20240306-0.zip", "F:\\Ziel\\"}, kExitOk,
       {{"A.TXT", "a3"}}, "20240305-0.zip", "fehlt ein Glied seiner Kette"},
      {"dropped", {"E:\\Archiv\\20240305-0.zip"}, kExitOk, {}, "",
       "dszip x -kette \"E:\\Archiv\\20240305-0.zip\" \"E:\\Archiv\\20240305-0\\\""},
      {"a link missing: nothing written", {"x", "-kette", "E:\\Archiv\\20240306-0.zip", "F:\\Ziel\\"}, kExitFatal,
       {}, "20240305-0.zip"},
      {"the full missing", {"l", "-kette", "E:\\Archiv\\20240305-0.zip"}, kExitFatal, {}, "20240304-0.zip"},
      {"not for e", {"e", "-kette", "E:\\Archiv\\20240306-0.zip", "F:\\Ziel\\"}, kExitUsage, {}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    SetUp();
    console.lines.clear();
    for (int night = 0; night < 3; ++night) {
      const std::string name = "2024030" + std::to_string(4 + night) + "-0.zip";
      if (name != row.gone) fs.AddFile("E:\\Archiv\\" + name, zips[night]);
    }
    EXPECT_EQ(Dszip(row.arguments), row.exitCode) << console.lines;
    Tree restored;
    for (const std::string& path : fs.Paths())
      if (path.rfind("F:\\Ziel\\", 0) == 0 && !fs.Find(path)->info.IsFolder())
        restored[path.substr(8)] = fs.Content(path);
    EXPECT_EQ(restored, row.restored);
    if (row.exitCode != kExitOk) {
      EXPECT_EQ(fs.Find("F:\\Ziel"), nullptr);
    }
    if (*row.gone && row.exitCode != kExitOk) {
      EXPECT_NE(AsciiLower(console.lines).find(row.gone), std::string::npos) << console.lines;
    }
    EXPECT_NE(console.lines.find(row.said), std::string::npos) << console.lines;
  }
  // Each file of the night with the archive it comes from; the state list only marked.
  console.lines.clear();
  EXPECT_EQ(Dszip({"l", "-kette", "E:\\Archiv\\20240306-0.zip"}), kExitOk);
  for (const char* line : {"A.TXT   (aus 20240306-0.zip)", "sub/d.txt   (aus 20240304-0.zip)",
                           "e.txt   (aus 20240305-0.zip)", "Summe: 4 Dateien"})
    EXPECT_NE(console.lines.find(line), std::string::npos) << line << "\n" << console.lines;
  EXPECT_EQ(console.lines.find("c.txt"), std::string::npos) << console.lines;
  EXPECT_EQ(console.lines.find("ZUSTANDSLISTE"), std::string::npos) << console.lines;
  EXPECT_EQ(Dszip({"l", "E:\\Archiv\\20240306-0.zip"}), kExitOk);
  EXPECT_NE(console.lines.find("(Zustandsliste der Sicherung, wird nicht entpackt)"),
            std::string::npos);
}

// The night before in the target: what stays is said once at the top, and the console lists
// 20 of the files kept; the log names every one.
TEST_F(RestoreFixture, ChainIntoAFilledFolderSaysOnceWhatStays) {
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> state;
  for (int i = 0; i < 25; ++i) {
    files.emplace_back("f" + std::to_string(i) + ".txt", "1");
    state.push_back(files.back().first);
  }
  fs.AddFile("E:\\Archiv\\20240304-0.zip", SetArchive(files, "", {}));
  fs.AddFile("E:\\Archiv\\20240305-0.zip", SetArchive({{"f0.txt", "2"}}, "20240304-0.zip", state));
  fs.AddFolder("F:\\Ziel");
  for (const auto& [name, data] : files) fs.AddFile("F:\\Ziel\\" + name, data);
  EXPECT_EQ(Dszip({"x", "-kette", "E:\\Archiv\\20240305-0.zip", "F:\\Ziel\\"}), kExitWarning);
  EXPECT_EQ(console.lines.rfind("Der Zielordner F:\\Ziel ist nicht leer", 0), 0u) << console.lines;
  EXPECT_NE(console.lines.find("-o- \u00fcberspringt"), std::string::npos);
  EXPECT_NE(console.lines.find("  ... und 5 weitere"), std::string::npos) << console.lines;
  EXPECT_NE(verdicts.log.find("gibt es schon: F:\\Ziel\\f24.txt"), std::string::npos)
      << console.lines;
}

// t <folder>\: a full and two nights, and a file of no set beside them. Each fault is named,
// and nothing is written into the folder.
TEST_F(RestoreFixture, FolderTestJudgesEveryArchiveAndChain) {
  const std::vector<std::string> state{"a.txt", "b.txt", "sub/", "sub/d.txt"};
  const struct {
    const char* name;
    std::function<void(std::map<std::string, std::string>&)> spoil;
    int exitCode;
    std::vector<const char*> said;
    // clang-format off
  } rows[] = {
      {"all sound", {}, kExitOk,
       {"Satz 1: C:\\Daten\\*.* (-r)\n  20240304-0.zip  voll  in Ordnung, 3 Dateien gepr\u00fcft\n",
        "  Satz 1: in Ordnung\n", "Gesamt: S\u00e4tze 1, Archive 3: 3 in Ordnung, 0 zweifelhaft, 0 fehlerhaft",
        "nicht beurteilt: fremd.zip"}},
      {"one archive damaged", [](auto& zips) { zips["20240304-0.zip"][zips["20240304-0.zip"].find("inhalt-b")] = 'X'; },
       kExitFatal, {"20240304-0.zip  voll  fehlerhaft\n    Fehlerhaft: b.txt (CRC)", "  Satz 1: fehlerhaft"}},
      {"one link deleted", [](auto& zips) { zips.erase("20240305-0.zip"); }, kExitFatal,
       {"20240306-0.zip  inkrementell  fehlerhaft\n    Kette unterbrochen: 20240305-0.zip fehlt"}},
      {"a state-list name in no archive of its chain",
       [&state](auto& zips) {
         std::vector<std::string> more = state;
         more.push_back("weg.txt");
         zips["20240306-0.zip"] = SetArchive({{"a.txt", "neu"}}, "20240305-0.zip", more);
       },
       kExitWarning, {"zweifelhaft\n    die Zustandsliste nennt weg.txt, doch kein Archiv der Kette ab 20240304-0.zip"}},
      {"no set at all", [](auto& zips) { zips = {{"fremd.zip", zips["fremd.zip"]}}; }, kExitWarning,
       {"kein Archiv mit Angaben zum Satz"}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    console.lines.clear();
    std::map<std::string, std::string> zips{
        {"20240304-0.zip",
         SetArchive({{"a.txt", "inhalt-a"}, {"b.txt", "inhalt-b"}, {"sub/d.txt", "d"}}, "", {})},
        {"20240305-0.zip", SetArchive({{"b.txt", "b2"}}, "20240304-0.zip", state)},
        {"20240306-0.zip", SetArchive({{"a.txt", "a3"}}, "20240305-0.zip", state)},
        {"fremd.zip", HandMadeZip({{"x.txt", "x"}})}};
    if (row.spoil) row.spoil(zips);
    fs.AddFolder("E:\\S\u00e4tze");
    for (const auto& [name, zip] : zips) fs.AddFile("E:\\S\u00e4tze\\" + name, zip);
    const std::vector<std::string> before = fs.Paths();
    EXPECT_EQ(Dszip({"t", "E:\\S\u00e4tze\" -pNie"}), row.exitCode) << console.lines;
    for (const char* text : row.said)
      EXPECT_NE(console.lines.find(text), std::string::npos) << text << "\n" << console.lines;
    EXPECT_EQ(fs.Paths(), before);
    EXPECT_NE(verdicts.log.find(ResultLine(row.exitCode)), std::string::npos);
  }
  EXPECT_EQ(Dszip({"t", "E:\\Weg\\"}), kExitFatal);
  EXPECT_EQ(Dszip({"t", "E:\\S\u00e4tze\\", "*.zip"}), kExitUsage);
}

TEST_F(RestoreFixture, DroppedArchiveUnpacksIntoANewFolderBesideIt) {
  Backup();
  EXPECT_EQ(Dszip({kArchive}), kExitOk) << console.lines;
  EXPECT_EQ(Dszip({kArchive}), kExitOk) << console.lines;
  EXPECT_EQ(fs.Content("E:\\Archiv\\x\\19.txt"), std::string(19, 'x'));
  EXPECT_EQ(fs.Content("E:\\Archiv\\x (2)\\19.txt"), std::string(19, 'x'));
  EXPECT_EQ(Dszip({kArchive, kArchive}), kExitOk) << console.lines;  // two dropped together
  EXPECT_EQ(fs.Content("E:\\Archiv\\x (4)\\19.txt"), std::string(19, 'x'));
}

TEST(StoredName, Check) {
  const struct {
    const char* name;
    const char* path;  // empty: refused
    // clang-format off
  } rows[] = {
      {"a/b.txt", "a\\b.txt"},   {"a\\b.txt", "a\\b.txt"}, {"./a/", "a"},        {"a..b", "a..b"},
      {"..", ""},                {"a/../b", ""},           {"/a", ""},           {"a//b", ""},
      {"c:x", ""},               {"a:b", ""},              {"con.txt", ""},      {"Con .txt", ""},
      {"COM1", ""},              {"com0", "com0"},         {"lpt\xC2\xB9", ""},  {"console", "console"},
      {"a./b", ""},              {"a /b", ""},             {"a\x7F", ""},        {"a?", ""},
      {"\xC3\x28", ""},          {"\xC3\xA4", "\xC3\xA4"}, {"", ""},             {"./.", ""},
  };
  // clang-format on
  for (const auto& row : rows) {
    const SafeName safe = CheckStoredName(row.name);
    EXPECT_EQ(safe.path, row.path) << row.name;
    EXPECT_EQ(safe.refused.has_value(), *row.path == '\0' && std::string(row.name) != "./.")
        << row.name;
  }
  EXPECT_EQ(CheckStoredName(std::string("a\0.", 3)).refused, zip::NameFlaw::Control);
  EXPECT_EQ(FoldCase("\xC3\x84Z\xD0\x96"), "\xC3\xA4z\xD0\xB6");
  EXPECT_EQ(Cp437ToUtf8("\x84\x94\x81\xE1 \xC9"), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F \xE2\x95\x94");
}

}  // namespace
}  // namespace dszip
