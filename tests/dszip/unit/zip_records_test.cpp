// The records where an archive grows past what the classic fields hold; the readers test
// covers counts and sizes, this the offsets that only archives over 4 GiB reach.
#include <gtest/gtest.h>

#include "zip/zip_records.h"

namespace zip {
namespace {

uint32_t Read32(const Bytes& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<uint32_t>(bytes[at + 3]) << 24;
}

TEST(ZipRecords, OffsetPastFourGibibytes) {
  EntryRecord entry;
  entry.name = "a.txt";
  entry.size = 10;
  entry.compressedSize = 12;
  entry.offset = 5ull << 30;
  const Bytes central = CentralHeader(entry);
  EXPECT_EQ(Read32(central, 42), kMax32);  // offset field
  EXPECT_EQ(Read32(central, 20), 12u);     // sizes stay in place
  const Bytes extra(central.begin() + 46 + 5, central.begin() + 46 + 5 + 12);
  EXPECT_EQ(extra, (Bytes{0x01, 0, 8, 0, 0, 0, 0, 0x40, 1, 0, 0, 0}));  // only the offset, 5 GiB
  EXPECT_EQ(central[6], 45);                                            // version needed

  const Bytes end = EndRecords(3, 5ull << 30, 200);
  ASSERT_EQ(end.size(), 56u + 20u + 22u);
  EXPECT_EQ(Read32(end, 0), 0x06064b50u);
  EXPECT_EQ(Read32(end, 56), 0x07064b50u);
  EXPECT_EQ(Read32(end, 76), 0x06054b50u);
  EXPECT_EQ(Read32(end, 76 + 16), kMax32);  // central directory offset
}

TEST(ZipRecords, DosTime) {
  const struct {
    CivilTime time;
    uint32_t dos;
    // clang-format off
  } rows[] = {
      {{2024, 3, 5, 9, 30, 59}, (44u << 9 | 3 << 5 | 5) << 16 | (9 << 11 | 30 << 5 | 29)},
      {{1970, 1, 1, 0, 0, 0}, (1u << 5 | 1) << 16},  // before 1980: its first day
      {{2110, 6, 1, 0, 0, 0}, (127u << 9 | 12 << 5 | 31) << 16 | (23 << 11 | 59 << 5 | 29)},  // the latest
  };
  // clang-format on
  for (const auto& row : rows) EXPECT_EQ(DosDateTime(row.time), row.dos) << row.time.year;
}

TEST(ZipRecords, NtfsTimesInTheirOrder) {
  EntryRecord entry;
  entry.name = "a";
  entry.ntfs = {.modified = 0x0123456789ABCDEFull, .accessed = 2, .created = 3};
  for (const Bytes& header : {LocalHeader(entry), CentralHeader(entry)}) {
    const Bytes field(header.end() - 36, header.end());
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 12),
              (Bytes{0x0A, 0, 32, 0, 0, 0, 0, 0, 1, 0, 24, 0}));
    EXPECT_EQ(Bytes(field.begin() + 12, field.begin() + 20),
              (Bytes{0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}));
    EXPECT_EQ(field[20], 2);
    EXPECT_EQ(field[28], 3);
  }
}

}  // namespace
}  // namespace zip
