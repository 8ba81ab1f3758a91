#pragma once
// What a restore is asked to do, whichever front end asks: dszip's command line or a window.
#include <optional>
#include <string>
#include <vector>

namespace dszip {

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

}  // namespace dszip
