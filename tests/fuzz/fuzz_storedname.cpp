// dszip's check of names from an archive against a plain model written from the rules, for
// ASCII names; for other text, that an accepted name can still not leave the target.
//
// Input: the stored name.

#include <string>
#include <vector>

#include "zip/stored_name.h"
#include "fuzz_support.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == '/' || c == '\\')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

bool Device(std::string part) {
  for (char& c : part)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  part = part.substr(0, part.find('.'));
  part = part.substr(0, part.find_last_not_of(' ') + 1);
  for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (part == name) return true;
  for (const char* stem : {"COM", "LPT"})
    for (char digit = '1'; digit <= '9'; ++digit)
      if (part == std::string(stem) + digit) return true;
  return false;
}

bool PartRefused(const std::string& part) {
  if (part.empty() || part == ".." || part.back() == '.' || part.back() == ' ') return true;
  for (const char c : part)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
        std::string(":<>\"|?*").find(c) != std::string::npos)
      return true;
  return Device(part);
}

// The relative path, or "?" when refused.
std::string Model(std::string name) {
  if (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  if (name.empty()) return "?";
  std::string path;
  for (const std::string& part : Split(name)) {
    if (part == ".") continue;
    if (PartRefused(part)) return "?";
    path += (path.empty() ? "" : "\\") + part;
  }
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const zip::SafeName safe = zip::CheckStoredName(name);
  if (Ascii(name)) FUZZ_CHECK((safe.refused ? "?" : safe.path) == Model(name));
  if (!safe.refused && !safe.path.empty())
    for (const std::string& part : Split(safe.path)) FUZZ_CHECK(!PartRefused(part));
  return 0;
}
