// Date-time text as the settings file stores it: any text either reads or does not, and what
// is written for a value that was read reads back to the same day and second.
//
// Input: the text.

#include <string>

#include "core/datetime.h"
#include "fuzz_support.h"

namespace {

constexpr int kCurrentYears[] = {2024, 1, 9999};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = AsText(data, size);
  for (int year : kCurrentYears) {
    const auto value = ParseDateTime(text, year);
    if (!value) continue;
    // A date alone reads exactly as the date reader has it.
    if (const auto date = ParseDate(text, year)) FUZZ_CHECK(*value == *date);

    const std::string written = DateTimeText(*value);
    const auto reread = ParseDateTime(written, year);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(DateText(*reread) == DateText(*value));
    FUZZ_CHECK(TimeText(*reread) == TimeText(*value));
    FUZZ_CHECK(DateTimeText(*reread) == written);
  }
  return 0;
}
