#pragma once
// What each archive written by a and m records about itself, kept in the ZIP archive comment
// so that any reader shows it. One line per fact, a versioned head line first:
//
//   dszip-Sicherungssatz, Format 2
//   Kennung: 5f0c...(32 hex digits)
//   Art: inkrementell
//   Nummer: 12
//   Erstellt: 2024-03-05 21:30:12 +01:00
//   Computer: BUERO1
//   Folgt auf: 20240304-0.zip
//   Folgt auf Kennung: 9a41...(32 hex digits)
//   Folgt auf Verzeichnis: 1234 Bytes, CRC-32 0a1b2c3d
//   Unterordner: -r
//   Quelle: C:\Daten\B%C3%BCro\*.doc
//
// Format 1, without identity, number and computer, is still read: its links go by name.
//
// The comment declares no code page, so it stays ASCII: "%", control characters and every
// byte beyond ASCII are written as %XX of their UTF-8 bytes. A source list whose lines would
// take more than kSourcesBudget bytes (a comment holds 65,535) is replaced by one line with a
// digest of the whole list; the set is then told by that digest.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dszip::sets {

enum class ArchiveKind { Full, Incremental, Moved };

// Local time with its offset from UTC.
struct LocalTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int offsetMinutes = 0;  // +60 for UTC+01:00
  bool operator==(const LocalTime&) const = default;
};

// The central directory of an archive in brief: what binds a link to the archive's content.
struct DirectoryDigest {
  uint64_t size = 0;
  uint32_t crc = 0;
  bool operator==(const DirectoryDigest&) const = default;
};

struct ArchiveRecord {
  std::string id;         // 32 lower-case hex digits; empty: a record of format 1
  uint64_t sequence = 0;  // its number in the set (format 2)
  std::string computer;   // the computer that made it (format 2)
  ArchiveKind kind = ArchiveKind::Full;
  LocalTime made;
  std::string
      follows;  // incremental only: the file name of the archive before, if the folder had one
  std::string followsId;             // format 2: that archive's identity
  DirectoryDigest followsDirectory;  // format 2: and its central directory
  bool recurse = true;               // -r, or -r-
  std::vector<std::string> sources;  // UTF-8, as the run used them, masks in their last part
  std::string sourcesDigest;         // instead of the sources when they were too long
  bool operator==(const ArchiveRecord&) const = default;
};

inline constexpr std::size_t kCommentLimit = 65535;
inline constexpr std::size_t kIdDigits = 32;
inline constexpr std::size_t kSourcesBudget = 60000;

// CRLF line ends, so that the comment reads well on Windows too. Format 1 when the record has
// no identity.
std::string FormatRecord(const ArchiveRecord& record);
// A record exactly as FormatRecord writes it (LF line ends taken too); anything else,
// a foreign comment or another format version included, is no record.
std::optional<ArchiveRecord> ParseRecord(std::string_view comment);
// Whether a comment starts as dszip's records do: one that then does not parse is damaged or
// forged, not foreign.
bool LooksLikeRecord(std::string_view comment);

// A new identity from 16 random bytes.
std::string IdOf(const uint8_t (&random)[16]);

// The seconds since 1970 in UTC of the time, for ordering.
int64_t UtcSeconds(const LocalTime& time);

// What tells one set from another: the sources as Windows compares paths (letter case
// folded, "/" as "\"), in any order; or the digest when the list was too long.
std::string SourcesKey(const ArchiveRecord& record);

}  // namespace dszip::sets
