// t <folder>\ over a folder of two hostile archives, named as a full and the night after it:
// the check ends with a verdict for each, whatever their records, links and state lists say,
// and writes nothing into the folder.
//
// Input: two bytes, the first archive's length (little endian), then the two archives.

#include <algorithm>
#include <atomic>
#include <string>

#include "engine/fake_crypto.h"
#include "engine/fake_file_system.h"
#include "engine/folder_check.h"
#include "fuzz_support.h"

namespace {

struct QuietConsole : dszip::Console {
  void Progress(const std::string&) override {}
  void Line(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const char* bytes = reinterpret_cast<const char*>(data) + 2;
  const std::size_t first = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
  dszip::FakeFileSystem fs;
  fs.AddFolder("E:\\S");
  fs.AddFile("E:\\S\\20240304-0.zip", std::string(bytes, first));
  fs.AddFile("E:\\S\\20240305-0.zip", std::string(bytes + first, size - 2 - first));
  const auto before = fs.Paths();
  dszip::FakeCrypto crypto;
  QuietConsole console;
  const std::atomic<bool> cancelled{false};
  const dszip::FolderCheck check =
      dszip::CheckFolder(fs, crypto, console, cancelled, "E:\\S\\", std::string("Geheim"));
  FUZZ_CHECK(fs.Paths() == before);
  std::size_t judged = check.withoutRecord.size();
  for (const dszip::SetCheck& set : check.sets) {
    FUZZ_CHECK(set.archives.size() == set.set.archives.size());
    judged += set.archives.size();
  }
  FUZZ_CHECK(judged == 2);
  return 0;
}
