// Whole runs on the fake file system: the safe order, attributes, deletion, exit codes, log.
#include <gtest/gtest.h>

#include <random>

#include "dszip/command_line.h"
#include "dszip/program.h"
#include "dszip/texts.h"
#include "fake_crypto.h"
#include "fake_file_system.h"
#include "fake_sink.h"

namespace dszip {
namespace {

constexpr const char* kArchive = "E:\\Archiv\\x.zip";

struct RecordingConsole : Console {
  std::string lines;
  void Progress(const std::string&) override {}
  void Line(const std::string& text) override { lines += text + "\n"; }
};

struct RunFixture : ::testing::Test {
  FakeFileSystem fs;
  FakeCrypto crypto;
  RecordingConsole console;
  FakeSink verdicts;
  std::atomic<bool> cancelled{false};

  void SetUp() override {
    fs.AddFolder("C:\\Daten");
    fs.AddFolder("E:\\Archiv");
    fs.AddFile("C:\\Daten\\neu.txt", "geändert seit der letzten Sicherung");
    fs.AddFile("C:\\Daten\\alt.txt", "schon gesichert", 0);
    fs.AddFile("C:\\Daten\\leer.txt", "");
  }
  int Run(std::vector<std::string> switches, const std::string& source = "C:\\Daten\\*.*") {
    switches.insert(switches.begin(), "a");
    if (switches.size() > 1 && switches[1] == "m") switches.erase(switches.begin());
    switches.push_back(kArchive);
    switches.push_back(source);
    return RunDszip(switches, fs, crypto, console, cancelled, verdicts);
  }
  bool Archived() { return fs.Find(kArchive) != nullptr; }
  // Nothing but the sources, the archive folder and, when a run got that far, its log.
  bool NoTemporaryFile() {
    for (const std::string& path : fs.Paths())
      if (path.find(".dszip-tmp") != std::string::npos) return false;
    return true;
  }
  uint32_t Attributes(const std::string& path) { return fs.Find(path)->info.attributes; }
};

TEST_F(RunFixture, FailuresLeaveNoArchiveAndTouchNothing) {
  const struct {
    const char* name;
    std::function<void(RunFixture&)> arrange;
    int exitCode;
    // clang-format off
  } rows[] = {
      {"archive exists", [](RunFixture& f) { f.fs.AddFile(kArchive, "alt"); }, kExitArchiveExists},
      {"target folder missing", [](RunFixture& f) { f.fs.nodes.erase("e:\\archiv"); }, kExitArchiveExists},
      {"rename refused", [](RunFixture& f) { f.fs.moveFails = true; }, kExitArchiveExists},
      {"disk full", [](RunFixture& f) { f.fs.writeLimit = 40; }, kExitFatal},
      {"disk full while a large file is read",  // not to be taken for an unreadable source
       [](RunFixture& f) {
         std::mt19937 random(5);
         std::string noise(6 << 20, '\0');
         for (char& c : noise) c = static_cast<char>(random());
         f.fs.AddFile("C:\\Daten\\gross.bin", noise);
         f.fs.writeLimit = 2 << 20;
       },
       kExitFatal},
      {"interrupted", [](RunFixture& f) { f.cancelled = true; }, kExitInterrupted},
      {"the file system fails on a worker",
       [](RunFixture& f) { f.fs.beforeOpen = [](const std::string&) { throw std::runtime_error("E/A"); }; },
       kExitFatal},
      {"archive corrupted before the check",
       [](RunFixture& f) { f.fs.beforeClose = [](std::vector<uint8_t>& zip) { zip[zip.size() / 2] ^= 1; }; },
       kExitFatal},
      {"archive corrupted where a second thread checks it",  // past 9 MiB of stored noise
       [](RunFixture& f) {
         std::mt19937 random(3);
         std::string noise(9 << 20, '\0');
         for (char& c : noise) c = static_cast<char>(random());
         f.fs.AddFile("C:\\Daten\\a.bin", noise);
         f.fs.beforeClose = [](std::vector<uint8_t>& zip) {
           const std::string text(zip.begin(), zip.end());
           zip[text.find("neu.txt")] ^= 1;
         };
       },
       kExitFatal},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    cancelled = false;
    SetUp();
    row.arrange(*this);
    const auto before = fs.nodes;
    const std::string oldArchive = fs.Content(kArchive);
    EXPECT_EQ(Run({"-ac", "-ao"}), row.exitCode) << console.lines;
    EXPECT_EQ(fs.Content(kArchive), oldArchive);
    EXPECT_TRUE(NoTemporaryFile());
    for (const auto& [key, node] : before) {
      if (key.rfind("c:\\", 0) == 0) {
        EXPECT_EQ(Attributes(node.path), node.info.attributes) << key;
      }
    }
  }
}

TEST_F(RunFixture, ArchiveBitOnlyTakesAndClearsMarkedFiles) {
  fs.afterRead = [this](const std::string& path) {
    if (path == "C:\\Daten\\leer.txt") fs.Find(path)->info.modified++;  // changed while read
  };
  EXPECT_EQ(Run({"-ac", "-ao"}), kExitWarning) << console.lines;
  EXPECT_TRUE(Archived());
  EXPECT_EQ(Attributes("C:\\Daten\\neu.txt"), 0u);
  EXPECT_EQ(Attributes("C:\\Daten\\leer.txt"), kAttrArchive);  // keeps it: changed
  EXPECT_NE(console.lines.find("leer.txt"), std::string::npos);
  EXPECT_NE(fs.Content("E:\\Archiv\\dszip.log").find("Exit-Code 1"), std::string::npos);
}

TEST_F(RunFixture, FullBackupChangesNoAttribute) {
  EXPECT_EQ(Run({"-ai"}), kExitOk) << console.lines;
  EXPECT_EQ(Attributes("C:\\Daten\\neu.txt"), kAttrArchive);
}

TEST_F(RunFixture, NothingToArchive) {
  fs.Find("C:\\Daten\\neu.txt")->info.attributes = 0;
  fs.Find("C:\\Daten\\leer.txt")->info.attributes = 0;
  EXPECT_EQ(Run({"-ac", "-ao"}), kExitNothingToDo);
  EXPECT_FALSE(Archived());
  EXPECT_NE(console.lines.find(texts::NothingToArchive), std::string::npos);
}

TEST_F(RunFixture, MoveDeletesOnlyWhatWentInUnchanged) {
  fs.unreadable.insert("C:\\Daten\\alt.txt");
  fs.locked.insert("C:\\Daten\\leer.txt");
  EXPECT_EQ(Run({"m", "-mx"}), kExitWarning) << console.lines;
  EXPECT_TRUE(Archived());
  EXPECT_EQ(fs.Find("C:\\Daten\\neu.txt"), nullptr);
  EXPECT_NE(fs.Find("C:\\Daten\\alt.txt"), nullptr);   // could not be read
  EXPECT_NE(fs.Find("C:\\Daten\\leer.txt"), nullptr);  // could not be deleted
  EXPECT_NE(console.lines.find("Nicht gelöscht: C:\\Daten\\leer.txt"), std::string::npos);
}

TEST_F(RunFixture, EncryptedEntriesVerify) {
  fs.AddFile("C:\\Daten\\19.txt", std::string(19, 'x'));
  fs.AddFile("C:\\Daten\\20.txt", std::string(20, 'x'));
  fs.AddFile("C:\\Daten\\gross.bin", std::string(1536 * 1024, 'g'));  // encrypted piece by piece
  EXPECT_EQ(Run({"-hpGeheim", "-m0"}), kExitOk) << console.lines;
  EXPECT_NE(console.lines.find(texts::EncryptionNote), std::string::npos);
  const std::string zip = fs.Content(kArchive);
  // The AES extra field: version, "AE", strength 3; AE-2 below 20 bytes, AE-1 from there.
  EXPECT_NE(zip.find("19.txt"), std::string::npos);
  const size_t at19 = zip.find(std::string("\x01\x99\x07\x00\x02\x00"
                                           "AE\x03",
                                           9),
                               zip.find("19.txt"));
  const size_t at20 = zip.find(std::string("\x01\x99\x07\x00\x01\x00"
                                           "AE\x03",
                                           9),
                               zip.find("20.txt"));
  EXPECT_LT(at19, zip.find("20.txt"));
  EXPECT_NE(at20, std::string::npos);
}

TEST_F(RunFixture, CryptoFailureOnAWorkerEndsTheRun) {
  crypto.fails = true;
  EXPECT_EQ(Run({"m", "-hpGeheim"}), kExitFatal) << console.lines;
  EXPECT_FALSE(Archived());
  EXPECT_TRUE(NoTemporaryFile());
  EXPECT_NE(fs.Find("C:\\Daten\\neu.txt"), nullptr);
  EXPECT_NE(console.lines.find("Kryptografiefehler"), std::string::npos);
}

// The archive holds each file whole as it was read; a move or -ac acts only on files still so.
TEST_F(RunFixture, WholeCopies) {
  constexpr const char* kFile = "C:\\Daten\\neu.txt";
  const std::string small(120, 's'), large(2 << 20, 'l'), larger((2 << 20) + 5, 'L');
  // Every read of kFile ends with it rewritten, alternately to `b` and `a`.
  const auto alternating = [](RunFixture& f, const std::string& a, const std::string& b) {
    f.fs.afterRead = [&f, a, b, count = 0](const std::string& path) mutable {
      if (path != kFile) return;
      const uint64_t changed = f.fs.Find(path)->info.changed;
      f.fs.AddFile(path, count++ % 2 ? a : b);
      f.fs.Find(path)->info.changed = changed + 1;
    };
  };
  const auto replacedOnOpen = [](RunFixture& f, const std::string& content) {
    f.fs.beforeOpen = [&f, content](const std::string& path) {
      if (path == kFile && f.fs.Content(path) != content) f.fs.AddFile(path, content);
    };
  };
  const struct {
    const char* name;
    std::function<void(RunFixture&)> arrange;
    bool move;  // m; a otherwise, both with -ac
    int exitCode;
    std::string stored;  // found whole in the archive, stored with -m0
    bool kept;           // still on disk with its archive attribute
    // clang-format off
  } rows[] = {
      {"replaced between scan and read", [&](RunFixture& f) { replacedOnOpen(f, small); }, true, kExitOk, small, false},
      {"grew past a piece before it was read", [&](RunFixture& f) { replacedOnOpen(f, large); }, true, kExitOk, large, false},
      {"gone when opened", [](RunFixture& f) { f.fs.beforeOpen = [&f](const std::string& p) { if (p == kFile) f.fs.nodes.erase(AsciiLower(p)); }; },
       true, kExitWarning, "", false},
      {"small, changing at every read", [&](RunFixture& f) { alternating(f, small, std::string(130, 't')); }, true, kExitWarning, small, true},
      {"large, changing at every read",
       [&](RunFixture& f) {
         f.fs.AddFile(kFile, large);
         alternating(f, larger, large);
       },
       true, kExitWarning, larger, true},
      {"changed after the read, times put back (m)",
       [](RunFixture& f) { f.fs.beforeClose = [&f](std::vector<uint8_t>&) { f.fs.Find(kFile)->info.changed++; }; },
       true, kExitWarning, "geändert seit", true},
      {"another file after the read, size and times alike (m)",
       [](RunFixture& f) { f.fs.beforeClose = [&f](std::vector<uint8_t>&) { f.fs.Find(kFile)->info.id.low += 1000; }; },
       true, kExitWarning, "geändert seit", true},
      // A byte more at every read call: the third open finds 2 MiB and 5 bytes, and only those go in.
      {"growing through the read",
       [&](RunFixture& f) {
         f.fs.AddFile(kFile, large);
         f.fs.whileRead = [&, grown = 0](const std::string& path) mutable {
           if (path != kFile || ++grown > 64) return;
           FakeFileSystem::Node* node = f.fs.Find(path);
           node->data.push_back('G');
           node->info.size++;
           node->info.changed++;
         };
       },
       true, kExitWarning, "lGGGGGPK", true},
      {"changed after the read, times put back (-ac)",
       [](RunFixture& f) { f.fs.beforeClose = [&f](std::vector<uint8_t>&) { f.fs.Find(kFile)->info.changed++; }; },
       false, kExitWarning, "geändert seit", true},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    console.lines.clear();
    SetUp();
    row.arrange(*this);
    EXPECT_EQ(row.move ? Run({"m", "-m0", "-ac"}) : Run({"-m0", "-ac"}), row.exitCode)
        << console.lines;
    EXPECT_NE(fs.Content(kArchive).find(row.stored), std::string::npos);
    EXPECT_EQ(fs.Find(kFile) && (Attributes(kFile) & kAttrArchive), row.kept);
    if (row.exitCode == kExitWarning) {
      EXPECT_NE(console.lines.find(kFile), std::string::npos);
    }
  }
}

// Which sources are taken, left out, refused or missing, and what the summary says of them.
TEST_F(RunFixture, Sources) {
  const auto archiveInSource = [](RunFixture& f) {
    f.fs.AddFolder("C:\\Daten\\bk");
    f.fs.AddFile("C:\\Daten\\bk\\n1.zip", "frühere Sicherung");
    f.fs.AddFile("C:\\Daten\\bk\\dszip.log", "Protokoll");
  };
  // The archive's folder under its 8.3 name and as a mapped drive.
  const auto archiveAliased = [&](RunFixture& f) {
    archiveInSource(f);
    f.fs.AddAlias("C:\\Daten\\BK~1", "C:\\Daten\\bk");
    f.fs.AddAlias("S:", "C:\\Daten\\bk");
  };
  const auto centralLogInSource = [](RunFixture& f) {
    f.fs.AddFolder("C:\\Daten\\Protokolle");
    f.fs.AddFile("C:\\Daten\\Protokolle\\dszip.log", "Protokoll");
    f.fs.AddFile("C:\\Daten\\Protokolle\\dszip.alt.log", "älteres Protokoll");
    f.fs.AddAlias(f.verdicts.Folder(), "C:\\Daten\\Protokolle");
  };
  const auto fileLink = [](RunFixture& f) {
    f.fs.AddFolder("D:\\Anders");
    f.fs.AddFile("D:\\Anders\\ziel.txt", "außerhalb der Quelle");
    f.fs.AddFileLink("C:\\Daten\\verweis.txt", "D:\\Anders\\ziel.txt");
  };
  const std::string throughLink =
      "Über eine Verknüpfung gesichert, ihr Ziel bleibt unberührt: C:\\Daten\\verweis.txt";
  const auto links = [](RunFixture& f) {
    f.fs.AddFolder("C:\\Daten\\Link", kAttrFolder | kAttrReparsePoint);
    f.fs.AddFile("C:\\Daten\\Link\\drin.txt", "über die Verknüpfung");
  };
  std::vector<std::string> manyMissing = {"a", kArchive};
  for (int i = 1; i <= 17; ++i) manyMissing.push_back("C:\\Fehlt" + std::to_string(i));
  manyMissing.push_back("C:\\Daten\\*.*");
  const struct {
    const char* name;
    std::function<void(RunFixture&)> arrange;
    std::vector<std::string> arguments;
    int exitCode;
    std::string said;       // in the summary
    std::string inArchive;  // a stored name; "" when no archive is written
    // clang-format off
  } rows[] = {
      {"archive folder inside the source, m", archiveInSource, {"m", "C:\\Daten\\bk\\n3.zip", "C:\\Daten\\*.*"},
       kExitOk, "Ordner ausgelassen: C:\\Daten\\bk", "neu.txt"},
      {"archive folder inside the source, a", archiveInSource, {"a", "C:\\Daten\\bk\\n3.zip", "C:\\Daten"},
       kExitOk, "Ordner ausgelassen: C:\\Daten\\bk", "Daten/neu.txt"},
      {"archive folder as the source", archiveInSource, {"m", "C:\\Daten\\bk\\n3.zip", "C:\\Daten\\bk\\"},
       kExitUsage, "Quelle „C:\\Daten\\bk\\“ wird nicht gesichert", ""},
      {"archive folder inside the source under its 8.3 name, a", archiveAliased, {"a", "C:\\Daten\\BK~1\\n3.zip", "C:\\Daten"},
       kExitOk, "Ordner ausgelassen: C:\\Daten\\bk", "Daten/neu.txt"},
      {"archive folder inside the source on a mapped drive, m", archiveAliased, {"m", "S:\\n3.zip", "C:\\Daten\\*.*"},
       kExitOk, "Ordner ausgelassen: C:\\Daten\\bk", "neu.txt"},
      {"archive folder as the source on a mapped drive", archiveAliased, {"m", "C:\\Daten\\bk\\n3.zip", "S:\\"},
       kExitUsage, "Quelle „S:\\“ wird nicht gesichert", ""},
      {"archive folder in other case, no identities",
       [](RunFixture& f) {
         f.fs.noIdentity = true;
         f.fs.AddFolder("C:\\Daten\\Bäck");
         f.fs.AddFile("C:\\Daten\\Bäck\\n1.zip", "frühere Sicherung");
       },
       {"m", "C:\\Daten\\BÄCK\\n3.zip", "C:\\Daten"}, kExitOk, "Ordner ausgelassen: C:\\Daten\\Bäck", "Daten/neu.txt"},
      {"central log folder under another name, m", centralLogInSource, {"m", kArchive, "C:\\Daten"},
       kExitOk, "Ordner ausgelassen: C:\\Daten\\Protokolle", "Daten/neu.txt"},
      {"file link inside the source, a", fileLink, {"a", kArchive, "C:\\Daten"}, kExitOk, throughLink, "Daten/verweis.txt"},
      {"file link inside the source, m", fileLink, {"m", kArchive, "C:\\Daten"}, kExitOk, throughLink, "Daten/verweis.txt"},
      {"link inside the source", links, {"a", kArchive, "C:\\Daten"}, kExitOk,
       "Verknüpfter Ordner nicht verfolgt: C:\\Daten\\Link", "Daten/neu.txt"},
      {"link as the source", links, {"a", kArchive, "C:\\Daten\\Link"}, kExitOk,
       "Dateien: 1, Ordner: 1", "Link/drin.txt"},
      {"one source missing", nullptr, {"a", kArchive, "C:\\Fehlt", "C:\\Daten\\*.*"}, kExitWarning,
       "Quelle nicht gefunden: C:\\Fehlt", "neu.txt"},
      {"no source there", nullptr, {"a", kArchive, "C:\\Fehlt", "C:\\Fehlt\\*.*"}, kExitFatal,
       "Keine der Quellen gibt es: C:\\Fehlt, C:\\Fehlt\\*.*", ""},
      {"more warnings than a screen", nullptr, manyMissing, kExitWarning,
       "\n  Quelle nicht gefunden: C:\\Fehlt15\n  ... und 2 weitere, alle in dszip.log\nErgebnis", "neu.txt"},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    console.lines.clear();
    SetUp();
    if (row.arrange) row.arrange(*this);
    const auto before = fs.Paths();
    EXPECT_EQ(RunDszip(row.arguments, fs, crypto, console, cancelled, verdicts), row.exitCode)
        << console.lines;
    EXPECT_NE(console.lines.find(row.said), std::string::npos) << console.lines;
    const std::string zip = fs.Content(row.arguments[1]);
    EXPECT_EQ(zip.empty(), row.inArchive.empty());
    if (!zip.empty()) {
      EXPECT_NE(zip.find(row.inArchive), std::string::npos);
    }
    EXPECT_EQ(zip.find("n1.zip"), std::string::npos);
    EXPECT_EQ(zip.find("alt.log"), std::string::npos);
    EXPECT_EQ(zip.find("drin.txt") != std::string::npos, row.inArchive == "Link/drin.txt");
    for (const char* kept : {"C:\\Daten\\bk\\n1.zip", "C:\\Daten\\bk\\dszip.log",
                             "C:\\Daten\\Bäck\\n1.zip", "C:\\Daten\\Protokolle\\dszip.log",
                             "C:\\Daten\\Protokolle\\dszip.alt.log", "D:\\Anders\\ziel.txt"})
      EXPECT_EQ(fs.Find(kept) != nullptr,
                std::find(before.begin(), before.end(), kept) != before.end());
  }
}

}  // namespace
}  // namespace dszip

namespace dszip {
namespace {

// Whatever the outcome, the central log and the event log hold the verdict.
// Help is no run: shown whole, recorded nowhere. "/h" is a backup's mistyped command.
TEST_F(RunFixture, HelpNamesEveryCommandAndExitCode) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"/?"}, {"-h"}}) {
    console.lines.clear();
    EXPECT_EQ(RunDszip(arguments, fs, crypto, console, cancelled, verdicts), kExitOk);
    for (const char* text : {"\n  a  ", "\n  m  ", "\n  x  ", "\n  e  ", "\n  t  ", "\n  l  ",
                             "\n  b  ", "-kette", "-behalten:", "-hp<", "-o+", "\n  255  "})
      EXPECT_NE(console.lines.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(verdicts.log, "");
  EXPECT_EQ(RunDszip({"/h"}, fs, crypto, console, cancelled, verdicts), kExitUsage);
  EXPECT_NE(verdicts.log.find("dszip /?"), std::string::npos) << verdicts.log;
}

TEST_F(RunFixture, EveryRunLeavesAVerdict) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::function<void(RunFixture&)> arrange;
    int exitCode;
    std::vector<const char*> logged;  // in the central log
                                      // clang-format off
  } rows[] = {
      {"missing folders made", {"a", "E:\\Neu\\Tiefer\\x.zip", "C:\\Daten"}, {}, kExitOk,
       {"Zielordner angelegt: E:\\Neu", "Exit-Code 0"}},
      {"drive not there", {"a", "Q:\\Archiv\\x.zip", "C:\\Daten"}, {}, kExitArchiveExists,
       {"Ziellaufwerk Q: ist nicht erreichbar", "Exit-Code 9"}},
      {"share not there", {"a", "\\\\server\\weg\\x.zip", "C:\\Daten"}, {}, kExitArchiveExists,
       {"Ziellaufwerk \\\\server\\weg ist nicht erreichbar"}},
      {"refused command line", {"a", "-q", kArchive, "C:\\Daten"}, {}, kExitUsage,
       {"Aufruf: dszip a -q", "Unbekannter Schalter", "Exit-Code 7"}},
      {"password outside Windows-1252", {"a", "-hp\xD0\x96", kArchive, "C:\\Daten"}, {}, kExitUsage,
       {"Aufruf: dszip a -hp*** E:", "Windows-1252", "Exit-Code 7"}},
      {"password with umlaut", {"a", "-hpGr\xC3\xBC\xC3\x9F" "e", kArchive, "C:\\Daten"}, {}, kExitOk,
       {"-hp***", "(Windows-1252) nehmen", "Exit-Code 0"}},
      {"password with a quote and a blank, as Datensicherung quotes it",
       {"a", "-hpMein\"Pass GEHEIMTEIL", kArchive, "C:\\Daten"}, {}, kExitOk, {"Aufruf: dszip a \"-hp***\" E:"}},
      {"refused restore command line", {"t", "-q", kArchive}, {}, kExitUsage,
       {"Aufruf: dszip t -q", "Unbekannter Schalter \u201e-q\u201c.\r\nAufruf: dszip x|e|t|l",
        "\r\nErgebnis: Fehlgeschlagen (Exit-Code 7)"}},
      {"restore password outside Windows-1252", {"x", "-p\xD0\x96", kArchive}, {}, kExitUsage,
       {"Aufruf: dszip x -p*** E:", "nicht entpacken.\r\nAufruf: dszip x|e|t|l", "Exit-Code 7"}},
      {"leftover of an ended run removed",
       {"a", kArchive, "C:\\Daten"},
       [](RunFixture& f) {
         f.fs.AddFile("E:\\Archiv\\y.zip.17-0a0b0c0d.dszip-tmp", "halb");
         f.fs.AddFile("E:\\Archiv\\z.zip.18-0a0b0c0d.dszip-tmp", "halb");
         f.fs.liveProcesses.insert(18);
       },
       kExitOk, {"entfernt: E:\\Archiv\\y.zip.17-0a0b0c0d.dszip-tmp"}},
      // "E:\Archiv\" quoted reaches dszip glued to what follows.
      {"b lists the sets of a folder, given quoted", {"b", "E:\\Archiv\" -behalten:1"},
       [](RunFixture& f) { f.Run({"-ai"}); },
       kExitOk, {"Aufruf: dszip b \"E:", "Satz 1: C:\\Daten\\*.* (-r), Computer BUERO1\r\n  x.zip  ", "  voll  Nr. 1  ",
                 "Bliebe: x.zip (Neuestes Archiv, Neueste 1)", "Exit-Code 0"}},
      {"b with a bad rule", {"b", "E:\\Archiv\\", "-behalten:3X"}, {}, kExitUsage,
       {"Ung\u00fcltige Regel \u201e3X\u201c", "Aufruf: dszip b <Ordner>", "Exit-Code 7"}},
      {"a with an empty rule", {"a", "-behalten:7T,,4W", kArchive, "C:\\Daten"}, {}, kExitUsage,
       {"Leere Regel in \u201e-behalten:7T,,4W\u201c", "Exit-Code 7"}},
      {"a with rules split at a blank", {"a", "-behalten:7T,", "4W", kArchive, "C:\\Daten"}, {},
       kExitUsage, {"Ung\u00fcltige Regel \u201e 4W\u201c", "Exit-Code 7"}},
      {"b with rules split at a blank", {"b", "E:\\Archiv\\", "-behalten:7T,", "4W"}, {},
       kExitUsage, {"Ung\u00fcltige Regel \u201e 4W\u201c", "Aufruf: dszip b <Ordner>"}},
      {"central log not writable", {"a", kArchive, "C:\\Daten"},
       [](RunFixture& f) { f.verdicts.fails = true; }, kExitWarning, {}},
      {"central log not writable after a restore", {"t", kArchive},
       [](RunFixture& f) { f.Run({}); f.verdicts = FakeSink(); f.verdicts.fails = true; }, kExitWarning, {}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs = FakeFileSystem();
    verdicts = FakeSink();
    console.lines.clear();
    SetUp();
    if (row.arrange) row.arrange(*this);
    EXPECT_EQ(RunDszip(row.arguments, fs, crypto, console, cancelled, verdicts), row.exitCode)
        << console.lines;
    for (const char* text : row.logged)
      EXPECT_NE(verdicts.log.find(text), std::string::npos) << text << "\n" << verdicts.log;
    EXPECT_EQ(verdicts.log.find("GEHEIM"), std::string::npos) << verdicts.log;
    EXPECT_EQ(verdicts.log.find("dszip a|m"), std::string::npos) << verdicts.log;
    EXPECT_EQ(verdicts.events.rfind(std::to_string(row.exitCode) + ": ", 0), 0u) << verdicts.events;
    EXPECT_TRUE(NoTemporaryFile() || fs.Find("E:\\Archiv\\z.zip.18-0a0b0c0d.dszip-tmp"));
    // A record that could not be written is said last, with the result it leaves.
    if (verdicts.fails) {
      EXPECT_TRUE(console.lines.ends_with(ResultLine(row.exitCode) + "\n")) << console.lines;
    }
  }
  EXPECT_NE(console.lines.find("zentrale Protokoll"), std::string::npos);
  EXPECT_NE(verdicts.events.find("Exit-Code 1"), std::string::npos);
}

}  // namespace
}  // namespace dszip
