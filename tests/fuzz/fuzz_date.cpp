// Date text: any text either reads as a whole day or raises the tool's message, and the date
// text written for a day reads back as that day.
//
// Input: the text. Its first eight bytes, taken as a DateTime, also go through write and read.

#include <cmath>
#include <cstring>
#include <string>

#include "core/datetime.h"
#include "core/error.h"
#include "fuzz_support.h"

namespace {

// Two-digit years are placed around the current year, so the readers see several of them,
// the ends of the calendar included.
constexpr int kCurrentYears[] = {2024, 1, 50, 1999, 9999};

void CheckWrittenDayReadsBack(DateTime value) {
  const std::string text = DateText(value);
  FUZZ_CHECK(text.size() == 10);
  for (int year : kCurrentYears) FUZZ_CHECK(ParseDate(text, year) == WholeDays(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = AsText(data, size);
  for (int year : kCurrentYears) {
    const auto date = ParseDate(text, year);
    if (date) {
      FUZZ_CHECK(*date == WholeDays(*date));
      const DateParts parts = DecodeDate(*date);
      FUZZ_CHECK(IsValidDate(parts.year, parts.month, parts.day));
      FUZZ_CHECK(ReadDateText(text, year) == *date);
      CheckWrittenDayReadsBack(*date);
    } else {
      try {
        ReadDateText(text, year);
        FUZZ_FAIL("ReadDateText accepted what ParseDate refused");
      } catch (const EError& error) {
        FUZZ_CHECK(MessageNames(error.what(), text));
      }
    }
  }

  if (size >= sizeof(DateTime)) {
    DateTime value;
    std::memcpy(&value, data, sizeof value);
    const DateTime first = EncodeDate(1, 1, 1), last = EncodeDate(9999, 12, 31);
    if (std::isfinite(value) && WholeDays(value) >= first && WholeDays(value) <= last)
      CheckWrittenDayReadsBack(value);
  }
  return 0;
}
