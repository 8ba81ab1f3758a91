#include "window_logic/password_store.h"

#include <algorithm>

#include "core/cp1252.h"
#include "core/password_rule.h"
#include "settings/ini_document.h"

namespace {

// Each filler pair holds a marker by chance with a probability of about 1 in 10,000, so a
// handful of draws always suffices unless the password itself is the trouble.
constexpr int kDrawAttempts = 32;

std::string Compose(const std::string& password, const std::function<int(int)>& random) {
  std::string fillerA, fillerB;
  for (size_t i = 0; i < kFillerLength; ++i) {
    fillerA += static_cast<char>(96 + random(26));
    fillerB += static_cast<char>(96 + random(26));
  }
  return fillerA + kStartMarker + XorScramble(password) + kEndMarker + fillerB;
}

bool IsFiller(char c) { return c >= 96 && c < 96 + 26; }

// A character the window can hand over: no control character, none of the unassigned bytes.
bool IsTypable(char c) {
  const char32_t character = UnicodeOf(static_cast<unsigned char>(c));
  return character >= 0x20 && !(character >= 0x7F && character < 0xA0);
}

}  // namespace

std::string XorScramble(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x19u);
  return result;
}

std::optional<std::string> ComposeStoredPassword(const std::string& password,
                                                 const std::function<int(int)>& random) {
  for (int attempt = 0; attempt < kDrawAttempts; ++attempt) {
    std::string value = Compose(password, random);
    if (!IniDocument::CanStore(value)) return std::nullopt;
    if (RestoredPassword(value) == password) return value;
  }
  return std::nullopt;
}

std::string RestoredPassword(const std::string& value) {
  if (value.empty()) return "";
  // Positions counted from 1, 0 when the marker is absent.
  const auto position = [&](const char* marker) -> long {
    const size_t at = value.find(marker);
    return at == std::string::npos ? 0 : static_cast<long>(at) + 1;
  };
  const long p1 = position(kStartMarker);
  const long p2 = position(kEndMarker);
  const long count = p2 - p1 - 4;
  if (count <= 0) return XorScramble("");
  const size_t start = static_cast<size_t>(p1 + 4 - 1);
  return XorScramble(value.substr(start, static_cast<size_t>(count)));
}

std::optional<std::string> CheckedPassword(const std::string& value) {
  const std::size_t frame = 2 * kFillerLength + 8;
  if (value.size() < frame || value.size() - frame > kLongestPassword) return std::nullopt;
  const std::size_t length = value.size() - frame;
  const std::string fillers =
      value.substr(0, kFillerLength) + value.substr(frame + length - kFillerLength);
  if (value.compare(kFillerLength, 4, kStartMarker) != 0 ||
      value.compare(kFillerLength + 4 + length, 4, kEndMarker) != 0 ||
      !std::all_of(fillers.begin(), fillers.end(), IsFiller))
    return std::nullopt;
  // The first markers must be these, or the plain restore would take another span.
  std::string password = RestoredPassword(value);
  if (password != XorScramble(value.substr(kFillerLength + 4, length)) ||
      !std::all_of(password.begin(), password.end(), IsTypable))
    return std::nullopt;
  return password;
}
