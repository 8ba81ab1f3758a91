#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dszip/outcome.h"
#include "dszip/sets/retention.h"

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

// Restoring: x (with paths), e (without), t (test), l (list), or the archive alone (as x).
enum class RestoreCommand { Extract, ExtractFlat, Test, List };
enum class Overwrite { Warn, Skip, Replace };  // default, -o-, -o+

struct RestoreOptions {
  RestoreCommand command = RestoreCommand::Extract;
  std::optional<std::string> password;
  Overwrite overwrite = Overwrite::Warn;
  std::string archive;
  std::string target;  // "" for the current folder, else ending in "\"
  std::vector<std::string> masks;
  bool dropped = false;     // an archive dropped on the program: beside it into a new folder
  bool chain = false;       // -kette (x and l): the set's state as of this archive
  bool folderTest = false;  // t <folder>\: `archive` is the folder, ending in "\"

  // Masks with their subfolders, as for a.
  bool recurse = true;  // -r (default), -r-
};

// Archives alone on the command line: what Windows passes for those dropped on the program.
// ParseRestoreCommandLine takes the first; RunDszip runs each in turn.
bool IsDroppedArchive(const std::vector<std::string>& arguments);
bool IsRestoreCommand(const std::vector<std::string>& arguments);
RestoreOptions ParseRestoreCommandLine(const std::vector<std::string>& arguments);
// A quoted folder ending in \" (as in "C:\Ziel\" *.doc) reaches us glued to what follows up to
// the next quote: the folder with its "\", the glued names, split at blanks, in `glued`.
std::string TargetAsTyped(const std::string& argument, std::vector<std::string>& glued);
// The password of -p, -hp or the prompt when restoring, as Windows-1252 bytes of any length;
// RunError with kExitUsage and the reason alone, without a usage line, when it cannot be one.
std::string TypedPassword(const std::string& typed);

}  // namespace dszip
