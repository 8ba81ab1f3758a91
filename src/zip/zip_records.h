#pragma once
// The ZIP container records as the format's application note describes them: local and
// central headers with their extra fields (ZIP64, extended timestamp, NTFS times, AES), and the end
// records. Built here, written and read back by the archive writer and the verifier.
#include <cstdint>
#include <string>
#include <vector>

#include "zip/files.h"

namespace zip {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kMethodStore = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint32_t kMax32 = 0xFFFFFFFFu;

// An NTFS times field, written when `modified` is set: 100-ns ticks since 1601, UTC.
struct NtfsTimes {
  uint64_t modified = 0, accessed = 0, created = 0;
};

struct EntryRecord {
  std::string name;  // UTF-8, "/" separated
  uint32_t dosTime = 0;
  bool hasUnixTime = false;
  int64_t unixTime = 0;
  NtfsTimes ntfs;  // the exact times; the extended timestamp holds whole seconds only
  uint32_t attributes = 0;
  uint16_t method = kMethodDeflate;  // the real method; AES entries show 99 outside
  uint16_t effortBits = 0;
  uint16_t aesVersion = 0;  // 0: not encrypted, else 1 (AE-1) or 2 (AE-2)
  bool zip64Local = false;  // the local header carries ZIP64 sizes
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t size = 0;
  uint64_t offset = 0;
};

// The general-purpose bits 1-2 that tell readers how hard Deflate worked at `level` (0-9).
uint16_t DeflateEffortBits(int level);

// DOS date and time (date in the high half) of a local time, clamped to 1980..2107.
uint32_t DosDateTime(const CivilTime& time);
// Seconds since 1970 of 100-ns ticks since 1601.
int64_t UnixSeconds(uint64_t ticks);

Bytes LocalHeader(const EntryRecord& entry);
Bytes CentralHeader(const EntryRecord& entry);
// ZIP64 end records when the count, size or offset need them, then the classic end record with
// the archive comment (at most 65,535 bytes; the caller keeps to that).
Bytes EndRecords(uint64_t entries, uint64_t centralOffset, uint64_t centralSize,
                 const std::string& comment = {});

// Little-endian fields as the records hold them.
void Put16(Bytes& out, uint32_t value);
void Put32(Bytes& out, uint32_t value);
void Put64(Bytes& out, uint64_t value);

}  // namespace zip
