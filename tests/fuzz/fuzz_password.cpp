// The stored password: any stored value restores without harm, and the check on reading passes
// only what the plain restore gives too; every password the composer accepts comes back from
// what it stored, through the settings file as well, and through the check when it could have
// been typed. The composer may refuse only a password that no filler can make storable.
//
// Input: password 0x01 random bytes (the filler draws; zeros once they run out). The whole
// input is also restored as a stored value.

#include <algorithm>
#include <optional>
#include <string>

#include "core/cp1252.h"
#include "core/password_rule.h"

#include "fuzz_support.h"
#include "window_logic/password_store.h"
#include "settings/ini_document.h"

namespace {

// More draws than this would let the input choose every filler of every attempt.
constexpr std::size_t kMaxRandomBytes = 1024;
constexpr std::size_t kFixedLength = 2 * 43 + 2 * 4;

// With fillers that hold no marker letter, only the scrambled password can spoil the value:
// a line break or NUL, too much length, an end marker inside it, or a start that completes
// the end marker with the "o" of the start marker.
bool MustRefuse(const std::string& password) {
  const std::string scrambled = XorScramble(password);
  return password.size() + kFixedLength > IniDocument::MaxValueLength ||
         scrambled.find_first_of(std::string("\r\n\0", 3)) != std::string::npos ||
         scrambled.find("ovkq") != std::string::npos || scrambled.rfind("vkq", 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string whole = AsText(data, size);
  FUZZ_CHECK(RestoredPassword(whole).size() <= whole.size());
  if (const auto checked = CheckedPassword(whole)) FUZZ_CHECK(*checked == RestoredPassword(whole));

  Fields fields(data, size);
  const std::string password = fields.Next();
  std::string draws = fields.Next();
  if (draws.size() > kMaxRandomBytes) draws.resize(kMaxRandomBytes);
  std::size_t drawn = 0;
  const auto random = [&](int range) {
    const int value = drawn < draws.size() ? static_cast<unsigned char>(draws[drawn]) : 0;
    ++drawn;
    return value % range;
  };

  const auto stored = ComposeStoredPassword(password, random);
  if (!stored) {
    FUZZ_CHECK(MustRefuse(password));
    return 0;
  }
  FUZZ_CHECK(stored->size() == kFixedLength + password.size());
  FUZZ_CHECK(stored->compare(43, 4, "qkvo") == 0);
  FUZZ_CHECK(stored->compare(47 + password.size(), 4, "ovkq") == 0);
  const std::string fillers = stored->substr(0, 43) + stored->substr(stored->size() - 43);
  FUZZ_CHECK(fillers.find_first_not_of("`abcdefghijklmnopqrstuvwxy") == std::string::npos);
  FUZZ_CHECK(RestoredPassword(*stored) == password);
  const bool typable = password.size() <= kLongestPassword &&
                       std::all_of(password.begin(), password.end(), [](char c) {
                         const char32_t u = UnicodeOf(static_cast<unsigned char>(c));
                         return u >= 0x20 && !(u >= 0x7F && u < 0xA0);
                       });
  FUZZ_CHECK(CheckedPassword(*stored) == (typable ? std::optional(password) : std::nullopt));

  IniDocument file;
  file.Put("Security", "1", *stored);
  FUZZ_CHECK(IniDocument(file.Bytes()).Get("security", "1") == *stored);
  return 0;
}
