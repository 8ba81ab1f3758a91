// The state list entry of an incremental archive: whatever ParseStateList takes reads back the
// same once written, and entries with names of any bytes survive the round trip.
//
// Input: a state list; or "S" then names separated by 0x01.

#include <string>
#include <vector>

#include "engine/sets/state_list.h"
#include "fuzz_support.h"

using dszip::sets::StateEntry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = AsText(data, size);
  if (const auto entries = dszip::sets::ParseStateList(text)) {
    FUZZ_CHECK(dszip::sets::ParseStateList(dszip::sets::FormatStateList(*entries)) == entries);
    return 0;
  }
  if (size < 1 || text[0] != 'S') return 0;
  Fields fields(data + 1, size - 1);
  std::vector<StateEntry> entries;
  uint64_t spread = 0;
  while (!fields.Done()) {
    std::string name = fields.Next();
    if (name.empty()) continue;
    spread = spread * 6364136223846793005ull + 1442695040888963407ull + name.size();
    // Sizes of any value, times up to the year 9999.
    entries.push_back(
        {std::move(name), spread % 10000000000000000000ull, spread % 2650467743999999999ull});
  }
  FUZZ_CHECK(dszip::sets::ParseStateList(dszip::sets::FormatStateList(entries)) == entries);
  return 0;
}
