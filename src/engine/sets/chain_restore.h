#pragma once
// x -kette and l -kette: the state of a set as of one archive, restored from the full its
// chain rests on and every archive after it up to the named one.
#include <optional>
#include <string>
#include <vector>

#include "engine/sets/archive_record.h"

namespace dszip::sets {

// An archive of the set with its directory, read before anything is written.
struct ChainArchive {
  std::string name;
  ArchiveKind kind = ArchiveKind::Full;
  std::string follows;                                 // an incremental's link
  std::vector<std::string> storedNames;                // the directory, in archive order
  std::optional<std::vector<std::string>> stateNames;  // an incremental's state list
};

struct RestoreSource {
  std::string storedName;
  std::string archive;
  bool operator==(const RestoreSource&) const = default;
};

// Each file with the archive it comes from: the newest one up to `named` that holds it; a
// file the named archive's state list lacks had been deleted by then and is left out. In
// archive order, oldest archive first, so that each is read once. Names are compared as
// Windows compares them. An incremental that follows none starts its chain. A missing link, or a
// named incremental without a state list, raises RunError with the fatal exit code, naming it.
std::vector<RestoreSource> PlanChainRestore(const std::string& named,
                                            const std::vector<ChainArchive>& set);

// The files of the named archive's state list that no archive of its chain holds: what a
// restore of that night cannot bring back.
std::vector<std::string> MissingFromChain(const std::string& named,
                                          const std::vector<ChainArchive>& set);

}  // namespace dszip::sets
