#include "window_logic/password_store.h"

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
