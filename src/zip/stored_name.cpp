#include "zip/stored_name.h"

#include <cstdint>
#include <vector>

#include "core/ascii_case.h"
#include "core/utf8.h"

namespace zip {
namespace {

bool ReservedDevice(const std::string& part) {
  // The device is the part before the first dot, blanks at its end ignored: "con .txt" too.
  std::string base = AsciiLower(part.substr(0, part.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* name : kNames)
    if (base == name) return true;
  if (base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0))
    return base[3] >= '1' && base[3] <= '9';
  // COM and LPT with a superscript 1, 2 or 3 (U+00B9, U+00B2, U+00B3) are devices as well.
  return base.size() == 5 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) &&
         base[3] == '\xC2' && (base[4] == '\xB9' || base[4] == '\xB2' || base[4] == '\xB3');
}

std::optional<NameFlaw> CheckPart(const std::string& part) {
  if (part == "..") return NameFlaw::Parent;
  // Characters first: a NUL ends the name for Windows, and what stands before it is no reason.
  for (const char c : part) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return NameFlaw::Control;
    if (c == ':') return NameFlaw::Stream;
    if (c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
      return NameFlaw::Character;
  }
  if (part.back() == '.' || part.back() == ' ') return NameFlaw::Trailing;
  if (ReservedDevice(part)) return NameFlaw::Device;
  return std::nullopt;
}

}  // namespace

SafeName CheckStoredName(const std::string& name) {
  std::vector<uint32_t> ignored;
  if (!DecodeUtf8(name, ignored)) return {.refused = NameFlaw::Encoding};
  std::string path;
  std::string rest = name;
  for (char& c : rest)
    if (c == '\\') c = '/';
  if (!rest.empty() && rest.back() == '/') rest.pop_back();  // a folder
  if (rest.empty() || rest[0] == '/') return {.refused = NameFlaw::Absolute};
  for (size_t start = 0; start <= rest.size();) {
    const size_t end = std::min(rest.find('/', start), rest.size());
    const std::string part = rest.substr(start, end - start);
    start = end + 1;
    if (part == ".") continue;  // "./a" is "a"
    if (part.empty()) return {.refused = NameFlaw::Absolute};
    if (const auto refused = CheckPart(part)) return {.refused = refused};
    path += (path.empty() ? "" : "\\") + part;
  }
  return {.path = path};  // empty: "./", the target itself
}

std::string FoldCase(const std::string& path) {
  std::vector<uint32_t> points;
  if (!DecodeUtf8(path, points)) return AsciiLower(path);
  std::string out;
  for (uint32_t c : points) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB) || (c >= 0x410 && c <= 0x42F))
      c += 0x20;
    else if (c >= 0x400 && c <= 0x40F)
      c += 0x50;
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace zip
