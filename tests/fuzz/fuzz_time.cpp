// Time text: any text either reads as a time of day or raises the tool's message, and the time
// text written for it reads back to the same second.
//
// Input: the text.

#include <string>

#include "core/datetime.h"
#include "core/error.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = AsText(data, size);
  const auto time = ParseTime(text);
  if (!time) {
    try {
      ReadTimeText(text);
      FUZZ_FAIL("ReadTimeText accepted what ParseTime refused");
    } catch (const EError& error) {
      FUZZ_CHECK(MessageNames(error.what(), text));
    }
    return 0;
  }
  FUZZ_CHECK(*time >= 0 && *time < 1);
  FUZZ_CHECK(ReadTimeText(text) == *time);
  const TimeParts t = DecodeTime(*time);
  FUZZ_CHECK(t.hour < 24 && t.minute < 60 && t.second < 60 && t.millisecond < 1000);
  FUZZ_CHECK(EncodeTime(t.hour, t.minute, t.second, t.millisecond) == *time);
  // The written form has no milliseconds.
  const std::string written = TimeText(*time);
  FUZZ_CHECK(written.size() == 8);
  FUZZ_CHECK(ParseTime(written) == EncodeTime(t.hour, t.minute, t.second, 0));
  return 0;
}
