#include "zip/zip_records.h"

#include <algorithm>

namespace zip {
namespace {

constexpr uint16_t kMethodAes = 99;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kVersionMadeBy = 63;  // 6.3, host 0: the external attributes are DOS ones

uint16_t Narrow16(uint64_t value) { return static_cast<uint16_t>(value); }
uint32_t Narrow32(uint64_t value) { return static_cast<uint32_t>(value); }
uint32_t Clamp32(uint64_t value) { return value >= kMax32 ? kMax32 : Narrow32(value); }

bool CentralNeedsZip64(const EntryRecord& e) {
  return e.size >= kMax32 || e.compressedSize >= kMax32 || e.offset >= kMax32;
}

uint16_t VersionNeeded(const EntryRecord& e) {
  if (e.aesVersion != 0) return 51;
  if (e.zip64Local || CentralNeedsZip64(e)) return 45;
  return e.method == kMethodDeflate || (!e.name.empty() && e.name.back() == '/') ? 20 : 10;
}

uint16_t Flags(const EntryRecord& e) {
  return Narrow16(kFlagUtf8 | (e.aesVersion != 0 ? kFlagEncrypted : 0) |
                  (e.method == kMethodDeflate ? e.effortBits : 0));
}

void PutCommonFields(Bytes& out, const EntryRecord& e) {
  Put16(out, VersionNeeded(e));
  Put16(out, Flags(e));
  Put16(out, e.aesVersion != 0 ? kMethodAes : e.method);
  Put32(out, e.dosTime);
  Put32(out, e.aesVersion == 2 ? 0 : e.crc);  // AE-2 leaves the CRC to the MAC
}

void PutTimeAndAesExtras(Bytes& out, const EntryRecord& e) {
  if (e.hasUnixTime) {  // extended timestamp: the modification time only
    Put16(out, 0x5455);
    Put16(out, 5);
    out.push_back(1);
    Put32(out, static_cast<uint32_t>(e.unixTime));
  }
  if (e.ntfs.modified != 0) {  // reserved, then tag 1: modification, access and creation time
    Put16(out, 0x000A);
    Put16(out, 32);
    Put32(out, 0);
    Put16(out, 0x0001);
    Put16(out, 24);
    for (const uint64_t time : {e.ntfs.modified, e.ntfs.accessed, e.ntfs.created}) Put64(out, time);
  }
  if (e.aesVersion != 0) {
    Put16(out, 0x9901);
    Put16(out, 7);
    Put16(out, e.aesVersion);
    out.push_back('A');
    out.push_back('E');
    out.push_back(3);  // AES-256
    Put16(out, e.method);
  }
}

void PutHeader(Bytes& out, const EntryRecord& e, const Bytes& extra) {
  Put16(out, Narrow16(e.name.size()));
  Put16(out, Narrow16(extra.size()));
}

}  // namespace

void Put16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Put64(Bytes& out, uint64_t value) {
  Put32(out, Narrow32(value));
  Put32(out, Narrow32(value >> 32));
}

uint16_t DeflateEffortBits(int level) {
  if (level >= 9) return 0x2;                // maximum
  if (level == 1) return 0x6;                // super fast
  if (level >= 1 && level <= 3) return 0x4;  // fast
  return 0;
}

uint32_t DosDateTime(const CivilTime& t) {
  if (t.year < 1980) return (1u << 5 | 1u) << 16;                     // 1 January 1980
  if (t.year > 2107) return DosDateTime({2107, 12, 31, 23, 59, 58});  // the latest there is
  const auto date = static_cast<uint32_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
  const auto time = static_cast<uint32_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
  return date << 16 | time;
}

int64_t UnixSeconds(uint64_t ticks) {
  return static_cast<int64_t>(ticks / 10000000) - 11644473600LL;
}

Bytes LocalHeader(const EntryRecord& e) {
  Bytes extra;
  if (e.zip64Local) {
    Put16(extra, 0x0001);
    Put16(extra, 16);
    Put64(extra, e.size);
    Put64(extra, e.compressedSize);
  }
  PutTimeAndAesExtras(extra, e);
  Bytes out;
  Put32(out, 0x04034b50);
  PutCommonFields(out, e);
  Put32(out, e.zip64Local ? kMax32 : Narrow32(e.compressedSize));
  Put32(out, e.zip64Local ? kMax32 : Narrow32(e.size));
  PutHeader(out, e, extra);
  out.insert(out.end(), e.name.begin(), e.name.end());
  out.insert(out.end(), extra.begin(), extra.end());
  return out;
}

Bytes CentralHeader(const EntryRecord& e) {
  const bool zip64 = CentralNeedsZip64(e);
  Bytes extra;
  if (zip64) {  // only the fields that overflow, in the note's order
    Bytes fields;
    if (e.size >= kMax32) Put64(fields, e.size);
    if (e.compressedSize >= kMax32) Put64(fields, e.compressedSize);
    if (e.offset >= kMax32) Put64(fields, e.offset);
    Put16(extra, 0x0001);
    Put16(extra, Narrow16(fields.size()));
    extra.insert(extra.end(), fields.begin(), fields.end());
  }
  PutTimeAndAesExtras(extra, e);
  Bytes out;
  Put32(out, 0x02014b50);
  Put16(out, kVersionMadeBy);
  PutCommonFields(out, e);
  Put32(out, Clamp32(e.compressedSize));
  Put32(out, Clamp32(e.size));
  PutHeader(out, e, extra);
  Put16(out, 0);  // comment
  Put16(out, 0);  // disk
  Put16(out, 0);  // internal attributes
  Put32(out, e.attributes & 0xFFFF);
  Put32(out, Clamp32(e.offset));
  out.insert(out.end(), e.name.begin(), e.name.end());
  out.insert(out.end(), extra.begin(), extra.end());
  return out;
}

Bytes EndRecords(uint64_t entries, uint64_t centralOffset, uint64_t centralSize,
                 const std::string& comment) {
  Bytes out;
  const bool zip64 = entries >= 0xFFFF || centralOffset >= kMax32 || centralSize >= kMax32;
  if (zip64) {
    const uint64_t zip64EndOffset = centralOffset + centralSize;
    Put32(out, 0x06064b50);
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, entries);
    Put64(out, entries);
    Put64(out, centralSize);
    Put64(out, centralOffset);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, zip64EndOffset);
    Put32(out, 1);
  }
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, entries >= 0xFFFF ? 0xFFFF : Narrow16(entries));
  Put16(out, entries >= 0xFFFF ? 0xFFFF : Narrow16(entries));
  Put32(out, Clamp32(centralSize));
  Put32(out, Clamp32(centralOffset));
  Put16(out, Narrow16(comment.size()));
  out.insert(out.end(), comment.begin(), comment.end());
  return out;
}

}  // namespace zip
