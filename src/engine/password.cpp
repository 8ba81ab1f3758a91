#include "engine/password.h"

#include "core/cp1252.h"
#include "core/filled.h"
#include "core/password_rule.h"
#include "engine/outcome.h"
#include "engine/texts.h"

namespace dszip {

std::string PasswordBytes(const std::string& utf8) {
  if (utf8.empty()) throw RunError(kExitUsage, texts::EmptyPassword);
  const auto bytes = Cp1252Password(utf8);
  if (!bytes) throw RunError(kExitUsage, texts::PasswordNotCp1252);
  if (bytes->size() > kLongestPassword)
    throw RunError(kExitUsage, Filled(texts::PasswordTooLong, {std::to_string(kLongestPassword)}));
  return *bytes;
}

std::optional<std::string> Cp1252Password(const std::string& utf8) {
  auto bytes = Cp1252FromUtf8(utf8);
  if (bytes && bytes->find('\0') != std::string::npos) bytes.reset();
  return bytes;
}

bool NeedsCodePageNote(const std::string& bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

std::string TypedPassword(const std::string& typed) {
  if (typed.empty()) throw RunError(kExitUsage, texts::NoPasswordTyped);
  const auto bytes = Cp1252Password(typed);
  if (!bytes) throw RunError(kExitUsage, texts::RestorePasswordNotCp1252);
  return *bytes;
}

}  // namespace dszip
