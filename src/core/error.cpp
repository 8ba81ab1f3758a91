#include "core/error.h"

#include "core/cp1252.h"
#include "core/filled.h"

namespace {

// For what(): the path in Windows-1252, each character the code page lacks as "?".
std::string PathInCp1252(const std::string& utf8Path) {
  bool exact = true;
  return Cp1252FromUtf8Replacing(utf8Path, exact);
}

}  // namespace

EError::EError(const std::string& message)
    : std::runtime_error(message), shown_(Utf8FromCp1252(message)) {}

EError::EError(const std::string& pattern, const std::string& utf8Path)
    : std::runtime_error(Filled(pattern, {PathInCp1252(utf8Path)})),
      shown_(Filled(Utf8FromCp1252(pattern), {utf8Path})) {}
