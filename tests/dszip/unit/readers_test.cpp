// Archives judged by readers we did not write (installed by ./test): the ZIP64 cases, a file
// cut into pieces that were compressed in parallel, and unusual names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "dszip/program.h"
#include "fake_crypto.h"
#include "fake_file_system.h"
#include "fake_sink.h"
#include "fakes/temp_folder.h"

namespace dszip {
namespace {

struct QuietConsole : Console {
  std::string lines;
  void Progress(const std::string&) override {}
  void Line(const std::string& text) override { lines += text + "\n"; }
};

// Runs dszip on `fs` and hands the archive to every reader; each must find it sound.
void ExpectReadersAccept(FakeFileSystem& fs, const std::string& level, size_t entries,
                         bool allReaders = true) {
  fs.AddFolder("E:\\Archiv");
  FakeCrypto crypto;
  QuietConsole console;
  std::atomic<bool> cancelled{false};
  FakeSink verdicts;
  ASSERT_EQ(RunDszip({"a", level, "E:\\Archiv\\x.zip", "C:\\Daten\\*.*"}, fs, crypto, console,
                     cancelled, verdicts),
            0)
      << console.lines;
  TempFolder folder;
  folder.Write("x.zip", fs.Content("E:\\Archiv\\x.zip"));
  const std::string zip = "'" + folder.File("x.zip") + "'";
  const std::string count = std::to_string(entries);
  const std::string readers[] = {
      "7zz t " + zip + " >/dev/null",
      "unzip -tqq " + zip + " >/dev/null",
      "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
      "sys.exit(z.testzip() is not None or len(z.infolist()) != " +
          count + ")\" " + zip,
  };
  for (const std::string& reader : readers) {
    if (!allReaders && reader != readers[0]) continue;  // for the huge archive: one is enough
    if (std::system(("command -v " + reader.substr(0, reader.find(' ')) + " >/dev/null").c_str()) !=
        0) {
      ADD_FAILURE() << "reader missing (./test installs it): " << reader;
      continue;
    }
    EXPECT_EQ(std::system(reader.c_str()), 0) << reader;
  }
}

// The method an entry's central header names.
int CentralMethod(const std::string& zip, const std::string& name) {
  const size_t at = zip.rfind("PK\x01\x02", zip.rfind(name));
  return at == std::string::npos
             ? -1
             : static_cast<uint8_t>(zip[at + 10]) | static_cast<uint8_t>(zip[at + 11]) << 8;
}

TEST(Readers, MoreEntriesThanTheClassicCountHolds) {
  FakeFileSystem fs;
  fs.AddFolder("C:\\Daten");
  constexpr int kFiles = 70000;
  for (int i = 0; i < kFiles; ++i)
    fs.AddFile("C:\\Daten\\f" + std::to_string(i), std::to_string(i));
  ExpectReadersAccept(fs, "-ms", kFiles);
}

TEST(Readers, FileOverFourGibibytes) {
  FakeFileSystem fs;
  fs.AddFolder("C:\\Daten");
  fs.AddFile("C:\\Daten\\klein.txt", "vorher");
  fs.AddZeros("C:\\Daten\\gross.bin", (4ull << 30) + 12345);
  fs.AddFile("C:\\Daten\\z.txt", "danach, jenseits von 4 GiB im Archiv? nein, komprimiert klein");
  ExpectReadersAccept(fs, "-ms", 3, false);
}

TEST(Readers, PiecesJoinedAndUnusualNames) {
  FakeFileSystem fs;
  fs.AddFolder("C:\\Daten");
  std::mt19937 random(7);
  std::string text, noise(2500000, '\0');
  while (text.size() < 3 * (1 << 20) + 100)
    text += "Zeile " + std::to_string(random() % 1000) + " der Sicherung\n";
  for (char& c : noise) c = static_cast<char>(random());
  fs.AddFile("C:\\Daten\\text.txt", text);
  fs.AddFile("C:\\Daten\\rauschen.bin", noise);
  fs.AddFile(
      "C:\\Daten\\Gr\xC3\xB6\xC3\x9F"
      "e \xD0\x96\xE6\x97\xA5.txt",
      std::string(19, 'a'));
  fs.AddFile("C:\\Daten\\rauschen-klein.bin", noise.substr(0, 5000));
  fs.AddFolder("C:\\Daten\\leer");
  ExpectReadersAccept(fs, "-mn", 5);
  // What Deflate cannot shrink is stored, in a small file as in one of many pieces.
  const std::string zip = fs.Content("E:\\Archiv\\x.zip");
  const std::pair<const char*, int> methods[] = {
      {"text.txt", 8}, {"rauschen.bin", 0}, {"rauschen-klein.bin", 0}};
  for (const auto& [name, method] : methods) EXPECT_EQ(CentralMethod(zip, name), method) << name;
}

}  // namespace
}  // namespace dszip
