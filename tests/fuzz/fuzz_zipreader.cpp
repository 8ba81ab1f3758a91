// dszip's ZIP reader over arbitrary bytes: it must end with a clean refusal or with entries
// whose data never exceeds the recorded size (no decompression bomb gets through), and with
// names that the name check either refuses or keeps below the target.
//
// Input: an archive.

#include <algorithm>
#include <cstring>
#include <string>

#include "dszip/command_line.h"
#include "dszip/fake_crypto.h"
#include "dszip/stored_name.h"
#include "dszip/zip_reader.h"
#include "fuzz_support.h"

namespace {

class MemoryFile : public dszip::InputFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
    const std::size_t take =
        at_ >= size_ ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - at_));
    if (take > 0) std::memcpy(buffer, data_ + at_, take);
    at_ += take;
    return take;
  }
  void Seek(std::uint64_t offset) override { at_ = offset; }
  dszip::FileInfo Info() override {
    dszip::FileInfo info;
    info.size = size_;
    return info;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::uint64_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFile file(data, size);
  dszip::FakeCrypto crypto;
  const std::string password = "Geheim";
  std::vector<dszip::ArchiveEntry> entries;
  try {
    entries = dszip::ReadDirectory(file, size);
  } catch (const dszip::RunError&) {
    return 0;
  }
  dszip::Inflater inflater;
  for (size_t i = 0; i < entries.size() && i < 64; ++i) {
    const dszip::ArchiveEntry& entry = entries[i];
    const dszip::SafeName safe = dszip::CheckStoredName(entry.record.name);
    if (!safe.refused)
      FUZZ_CHECK(safe.path.find(':') == std::string::npos && safe.path.rfind('\\', 0) != 0);
    std::uint64_t written = 0;
    try {
      dszip::SequentialReader in(file, entry.record.offset);
      dszip::SkipLocalHeader(in);
      dszip::ReadEntryData(
          in, inflater, crypto, entry, dszip::Secret{nullptr, &password},
          [&](const std::uint8_t*, std::size_t length) { written += length; }, nullptr);
      FUZZ_CHECK(written == entry.record.size);
    } catch (const dszip::RunError&) {
    }
    FUZZ_CHECK(written <= entry.record.size);
  }
  return 0;
}
