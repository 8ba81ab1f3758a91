// The record of a backup set in the archive comment: whatever ParseRecord takes, FormatRecord
// writes back within the comment's limit, in ASCII, and it reads back the same. And a record
// made of any bytes is written so that it reads back (the sources by their key when too long).
//
// Input: a comment; or "R" kind-byte 0x01 follows 0x01 computer 0x01 source 0x01 source ...
// (kind-byte bit 3: format 2, with an identity, a number and the link's identity and directory)

#include <string>

#include "engine/sets/archive_record.h"
#include "fuzz_support.h"

using dszip::sets::ArchiveKind;
using dszip::sets::ArchiveRecord;

namespace {

void CheckWritten(const ArchiveRecord& record) {
  const std::string text = dszip::sets::FormatRecord(record);
  FUZZ_CHECK(text.size() <= dszip::sets::kCommentLimit);
  FUZZ_CHECK(Ascii(text));
  const std::optional<ArchiveRecord> read = dszip::sets::ParseRecord(text);
  FUZZ_CHECK(read.has_value());
  FUZZ_CHECK(dszip::sets::SourcesKey(*read) == dszip::sets::SourcesKey(record));
  if (!read->sources.empty()) FUZZ_CHECK(*read == record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = AsText(data, size);
  if (const std::optional<ArchiveRecord> record = dszip::sets::ParseRecord(text)) {
    CheckWritten(*record);
    return 0;
  }
  if (size < 2 || text[0] != 'R') return 0;
  Fields fields(data + 2, size - 2);
  ArchiveRecord record;
  record.kind = static_cast<ArchiveKind>(data[1] % 3);
  record.made = {2024, 3, 5, 21, 30, 12, data[1] - 128};
  record.recurse = (data[1] & 4) != 0;
  record.follows = fields.Next();
  if (record.kind != ArchiveKind::Incremental) record.follows.clear();
  if (record.kind == ArchiveKind::Incremental && record.follows.empty()) return 0;
  const std::string computer = fields.Next();
  if (data[1] & 8) {
    record.id = std::string(31, '0') + "0123456789abcdef"[data[1] % 16];
    record.sequence = 1 + data[1];
    record.computer = computer;
    if (!record.follows.empty()) {
      record.followsId = (data[1] & 16) ? record.id : "";
      record.followsDirectory = {data[1], static_cast<uint32_t>(data[1]) << 24};
    }
  }
  while (!fields.Done()) {
    std::string source = fields.Next();
    if (!source.empty()) record.sources.push_back(std::move(source));
  }
  if (!record.sources.empty()) CheckWritten(record);
  return 0;
}
