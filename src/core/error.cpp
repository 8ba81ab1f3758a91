#include "core/error.h"

#include "core/cp1252.h"
#include "core/filled.h"

namespace {

// For what(): the path in Windows-1252, each character the code page lacks as "?".
std::string PathInCp1252(const std::string& utf8Path) {
  if (auto exact = Cp1252FromUtf8(utf8Path)) return *exact;
  std::string shown;
  for (std::size_t at = 0; at < utf8Path.size();) {
    std::size_t end = at + 1;
    while (end < utf8Path.size() && (static_cast<unsigned char>(utf8Path[end]) & 0xC0) == 0x80)
      ++end;
    shown += Cp1252FromUtf8(utf8Path.substr(at, end - at)).value_or("?");
    at = end;
  }
  return shown;
}

}  // namespace

EError::EError(const std::string& message)
    : std::runtime_error(message), shown_(Utf8FromCp1252(message)) {}

EError::EError(const std::string& pattern, const std::string& utf8Path)
    : std::runtime_error(Filled(pattern, {PathInCp1252(utf8Path)})),
      shown_(Filled(Utf8FromCp1252(pattern), {utf8Path})) {}
