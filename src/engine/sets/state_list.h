#pragma once
// The state list of an incremental archive: every file the selection found in that run,
// stored or not, so that a restore of that night knows which files existed. It travels as
// one plain text entry at the archive's root, under a name no real file normally has:
//
//   dszip-Zustandsliste, Format 1: Groesse, Aenderung (UTC), Name
//   1234<TAB>2024-03-05 20:30:12.1234567<TAB>Briefe/Antwort%09an Amt.txt
//
// The name is the stored name, UTF-8 letters as they are; "%", tabs, line breaks and the other
// control characters are written as %XX. Lines end in CRLF.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dszip::sets {

inline constexpr const char* kStateListName = "$DSZIP-ZUSTANDSLISTE$.txt";

struct StateEntry {
  std::string name;  // stored name, "/" separated; a folder's ends in "/"
  uint64_t size = 0;
  uint64_t modified = 0;  // 100-ns ticks since 1601, UTC
  bool operator==(const StateEntry&) const = default;
};

std::string FormatStateList(const std::vector<StateEntry>& entries);
// Nothing for anything FormatStateList would not write (LF line ends taken too).
std::optional<std::vector<StateEntry>> ParseStateList(std::string_view text);

}  // namespace dszip::sets
