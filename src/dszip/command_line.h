#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/outcome.h"
#include "engine/restore_options.h"
#include "engine/sets/retention.h"

namespace dszip {

struct Options {
  bool move = false;          // command m: delete the originals once the archive is in place
  int level = 6;              // Deflate level; 0 stores
  bool onlyArchived = false;  // -ao
  bool clearArchive = false;  // -ac
  bool recurse = true;        // -r (default), -r-
  std::optional<std::string> password;
  std::string archive;
  std::vector<std::string> sources;
  std::optional<std::vector<sets::Rule>> keep;  // -behalten: thinning after a verified run
};

// The arguments after the program name (UTF-8, already split by the C runtime's rules).
// Anything it does not understand raises RunError with kExitUsage.
Options ParseCommandLine(const std::vector<std::string>& arguments);

// -behalten:<rules>, for a, m and b.
bool IsKeepSwitch(const std::string& argument);
// The rules of the -behalten switch at arguments[at]. Rules typed with a blank after a comma
// arrive as several arguments: those are joined again, with one blank, and `at` moved past
// them, so that the refusal names the rule as typed. RunError with kExitUsage, without a usage
// line, for a bad rule.
std::vector<sets::Rule> KeepRules(const std::vector<std::string>& arguments, size_t& at);

// Archives alone on the command line: what Windows passes for those dropped on the program.
// ParseRestoreCommandLine takes the first; RunDszip runs each in turn.
bool IsDroppedArchive(const std::vector<std::string>& arguments);
bool IsRestoreCommand(const std::vector<std::string>& arguments);
RestoreOptions ParseRestoreCommandLine(const std::vector<std::string>& arguments);
// A quoted folder ending in \" (as in "C:\Ziel\" *.doc) reaches us glued to what follows up to
// the next quote: the folder with its "\", the glued names, split at blanks, in `glued`.
std::string TargetAsTyped(const std::string& argument, std::vector<std::string>& glued);

}  // namespace dszip
