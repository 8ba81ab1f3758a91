#pragma once
// Nights of a backup set made by dszip itself on the fake file system: night 1 a full backup
// of C:\Daten, each night after an incremental one.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "dszip/program.h"
#include "fake_crypto.h"
#include "fake_file_system.h"
#include "fake_sink.h"

namespace restore_window {

struct QuietConsole : dszip::Console {
  std::string lines;
  std::optional<std::string> answer;  // the password typed at every prompt
  int asked = 0;
  std::mutex mutex;  // the counts come from the restore's threads
  std::vector<dszip::ProgressCounts> counts;
  void Progress(const std::string&) override {}
  void Line(const std::string& text) override { lines += text + "\n"; }
  void Counted(const dszip::ProgressCounts& now) override {
    const std::lock_guard<std::mutex> lock(mutex);
    counts.push_back(now);
  }
  std::optional<std::string> AskPassword(const std::string&) override {
    ++asked;
    return answer;
  }
};

struct Nights {
  dszip::FakeFileSystem fs;
  dszip::FakeCrypto crypto;
  QuietConsole console;
  FakeSink sink;
  std::atomic<bool> cancelled{false};

  static constexpr uint64_t kDay = 864000000000ull;
  static std::string Archive(int night) {
    return "E:\\Archiv\\2024030" + std::to_string(night) + "-0.zip";
  }

  Nights() {
    fs.AddFolder("C:\\Daten");
    fs.AddFolder("E:\\Archiv");
  }
  // `switches` after the kind's own, such as "-hpGeheim".
  int Night(int night, const std::string& extra = "") {
    fs.clock = 133000000000000000ull + static_cast<uint64_t>(night) * kDay;
    std::vector<std::string> arguments{"a", "-ac"};
    if (night > 1) arguments.emplace_back("-ao");
    if (!extra.empty()) arguments.push_back(extra);
    arguments.push_back(Archive(night));
    arguments.emplace_back("C:\\Daten");
    return dszip::RunDszip(arguments, fs, crypto, console, cancelled, sink);
  }
  std::string Content(const std::string& path) {
    const auto* node = fs.Find(path);
    return node ? std::string(node->data.begin(), node->data.end()) : "<fehlt>";
  }
};

}  // namespace restore_window
