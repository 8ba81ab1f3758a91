// dszip's ZIP reader over arbitrary bytes: it must end with a clean refusal or with entries
// whose data never exceeds the recorded size (no decompression bomb gets through), and with
// names that the name check either refuses or keeps below the target.
//
// The archive comment alone is read as the listing of a backup folder reads it.
//
// Input: an archive.

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/fake_crypto.h"
#include "zip/errors.h"
#include "zip/stored_name.h"
#include "zip/zip_reader.h"
#include "fuzz_support.h"

namespace {

class MemoryFile : public zip::InputFile {
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
  zip::FileInfo Info() override {
    zip::FileInfo info;
    info.size = size_;
    return info;
  }
  zip::FileId Identity() override { return {}; }  // the reader never asks

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
  try {
    FUZZ_CHECK(zip::ReadArchiveComment(file, size).size() <= 0xFFFF);
  } catch (const zip::Error&) {
  }
  std::vector<zip::ArchiveEntry> entries;
  try {
    entries = zip::ReadDirectory(file, size);
  } catch (const zip::Error&) {
    return 0;
  }
  // zlib's streaming inflate, and the whole-entry decompressor restore uses.
  zip::Inflater streaming, whole(true);
  for (size_t i = 0; i < entries.size() && i < 64; ++i) {
    const zip::ArchiveEntry& entry = entries[i];
    const zip::SafeName safe = zip::CheckStoredName(entry.record.name);
    if (!safe.refused)
      FUZZ_CHECK(safe.path.find(':') == std::string::npos && safe.path.rfind('\\', 0) != 0);
    for (zip::Inflater* inflater : {&streaming, &whole}) {
      std::uint64_t written = 0;
      try {
        zip::SequentialReader in(file, entry.record.offset);
        zip::SkipLocalHeader(in);
        zip::ReadEntryData(
            in, *inflater, crypto, entry, zip::Secret{nullptr, &password},
            [&](const std::uint8_t*, std::size_t length) { written += length; }, nullptr);
        FUZZ_CHECK(written == entry.record.size);
      } catch (const zip::Error&) {
      }
      FUZZ_CHECK(written <= entry.record.size);
    }
  }
  return 0;
}
