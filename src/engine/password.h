#pragma once
#include <optional>
#include <string>

namespace dszip {

// The bytes the AES key is derived from: the password's Windows-1252 bytes, as Datensicherung
// holds it and as common readers on Western-European Windows take it. Raises RunError with
// kExitUsage for a character outside that code page, a NUL or more than kLongestPassword
// characters. `utf8` is the password as the command line gave it.
std::string PasswordBytes(const std::string& utf8);

// The password's Windows-1252 bytes, of any length; nothing for a character outside that code
// page or a NUL. Reading takes longer passwords than writing: other writers make such archives.
std::optional<std::string> Cp1252Password(const std::string& utf8);

// True when other programs open the archive only if they too take Windows-1252 bytes.
bool NeedsCodePageNote(const std::string& bytes);

// The password of -p, -hp or the prompt when restoring, as Windows-1252 bytes of any length;
// RunError with kExitUsage and the reason alone, without a usage line, when it cannot be one.
std::string TypedPassword(const std::string& typed);

}  // namespace dszip
