#pragma once
// Reading ZIP archives, ours and other programs': the end records and the central directory
// with its extra fields, then each entry's data decrypted, inflated and checked (MAC, size,
// CRC). The read-back check after writing and the restore commands both read through here.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>

#include "zip/aes_zip.h"
#include "zip/crypto.h"
#include "zip/files.h"
#include "zip/zip_records.h"

namespace zip {

enum class Encryption { None, Aes, Traditional, Other };

struct ArchiveEntry {
  EntryRecord record;  // name in UTF-8 with "/"; method the real one under the AES wrapper
  Encryption encryption = Encryption::None;
  uint8_t aesStrength = 3;                // 1..3: AES-128, -192, -256
  bool crcKnown = true;                   // AE-2 leaves the CRC to the MAC
  std::optional<uint64_t> exactModified;  // 100-ns ticks since 1601, from the NTFS or Unix field
  uint32_t externalAttributes = 0;
  uint8_t host = 0;    // the system that wrote it, from "version made by"
  uint16_t flags = 0;  // general purpose
  bool IsFolder() const;
  bool IsLink() const;             // a symbolic link recorded by a Unix writer
  uint32_t DosAttributes() const;  // read-only, hidden, system
  bool Readable() const;           // a method and an encryption this reader knows
};

// The archive comment alone, from the end record: a small read at the end of the file. Throws
// Damaged when there is no end record.
std::string ReadArchiveComment(InputFile& file, uint64_t fileSize);

// The archive comment, and the size and CRC-32 of the central directory: what tells one archive
// from another that carries the same comment, read without touching the entries. Throws
// Damaged as ReadDirectory does.
struct ArchiveTail {
  std::string comment;
  uint64_t directorySize = 0;
  uint32_t directoryCrc = 0;
};
ArchiveTail ReadArchiveTail(InputFile& file, uint64_t fileSize);

// The central directory. Throws Damaged when the file is no ZIP archive or is damaged.
std::vector<ArchiveEntry> ReadDirectory(InputFile& file, uint64_t fileSize);

// Reads through a large buffer: few platform calls however small the records are.
class SequentialReader {
 public:
  SequentialReader(InputFile& file, uint64_t start);
  Bytes Read(size_t size);
  void SkipTo(uint64_t position);
  uint64_t Position() const { return done_; }

 private:
  bool Refill();

  InputFile& file_;
  Bytes buffer_;
  size_t at_ = 0;
  uint64_t done_ = 0;
};

using Sink = std::function<void(const uint8_t* data, size_t size)>;

// Entries up to this size may be inflated whole, in one call, as long as all threads together
// hold at most the budget of such entries, packed and unpacked. A budget four times as large
// measured no faster and held 30 MB more at the peak.
constexpr uint64_t kWholeInflateLimit = uint64_t{64} << 20;
constexpr uint64_t kWholeInflateBudget = uint64_t{64} << 20;

// zlib's streaming inflate, and with `whole` libdeflate's faster one-call decompressor for
// entries of at most kWholeInflateLimit. The read-back check after writing keeps to zlib, so
// that the compressor is checked by a decoder that is not its own.
class Inflater {
 public:
  explicit Inflater(bool whole = false);
  ~Inflater();
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  void Reset();
  // Inflates `data`, handing what comes out to `sink`; false on broken data or on data after
  // the end of the stream.
  bool Feed(Bytes& data, const Sink& sink);
  bool Ended() const { return ended_; }

  // Whether this entry is inflated whole: both sizes bound the memory it takes, whatever its
  // records claim, and all threads together stay within a budget that a 32-bit process can
  // spare. A true answer holds a share of that budget until EndWhole.
  bool BeginWhole(uint64_t size, uint64_t compressedSize);
  void EndWhole();
  enum class Whole { Inflated, Broken, TooLong };
  // The complete stream `data` of an entry of `size` bytes; what comes out goes to `sink`.
  Whole InflateWhole(const Bytes& data, size_t size, const Sink& sink);

 private:
  z_stream stream_{};
  Bytes out_;
  bool ended_ = false;
  libdeflate_decompressor* decompressor_ = nullptr;
  Bytes whole_;
  uint64_t reserved_ = 0;
};

// What unlocks an encrypted entry: the keys made when it was written, or the password.
struct Secret {
  const AesKeys* keys = nullptr;
  const std::string* password = nullptr;
};

// Reads the local header at the reader's position and skips it, leaving the data next.
void SkipLocalHeader(SequentialReader& in);

// Reads the entry's data, decrypts and inflates it, and hands it to `sink` (may be empty).
// Stops at the recorded size. Throws WrongPassword, UnsupportedMethod or Damaged (errors.h), which
// spoil this entry only; FileError when the archive cannot be read.
void ReadEntryData(SequentialReader& in, Inflater& inflater, Crypto& crypto,
                   const ArchiveEntry& entry, const Secret& secret, const Sink& sink,
                   const std::function<void(uint64_t)>& progress);

// The bytes at the start of an encrypted entry's data that tell whether a password fits, and
// whether it does.
size_t PasswordHeaderSize(const ArchiveEntry& entry);
bool PasswordFits(Crypto& crypto, const std::string& password, const ArchiveEntry& entry,
                  const Bytes& header);

}  // namespace zip
