// Whole runs on the fake file system: the safety order, attributes, deletion, exit codes.
#include <gtest/gtest.h>

#include "dszip/run.h"
#include "fake_crypto.h"
#include "fake_file_system.h"

namespace dszip {
namespace {

struct RecordingConsole : Console {
  std::string lines;
  void Progress(const std::string&) override {}
  void Line(const std::string& text) override { lines += text + "\n"; }
};

struct RunFixture : ::testing::Test {
  FakeFileSystem fs;
  FakeCrypto crypto;
  RecordingConsole console;
  std::atomic<bool> cancelled{false};

  void SetUp() override {
    fs.AddFolder("C:");
    fs.AddFolder("C:\\Daten");
    fs.AddFolder("E:");
    fs.AddFolder("E:\\Archiv");
  }
  int Run(const std::vector<std::string>& arguments) {
    return RunDszip(arguments, fs, crypto, console, cancelled);
  }
};

TEST_F(RunFixture, EmptyFileAndText) {
  fs.AddFile("C:\\Daten\\a.txt", "hallo\n");
  fs.AddFile("C:\\Daten\\leer.txt", "");
  EXPECT_EQ(Run({"a", "-mn", "-ai", "E:\\Archiv\\x.zip", "C:\\Daten\\*.*"}), 0) << console.lines;
}

}  // namespace
}  // namespace dszip
