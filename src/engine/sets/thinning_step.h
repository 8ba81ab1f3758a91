#pragma once
// Thinning a backup folder after a verified backup: the folder listed, this run's set found,
// the plan made and carried out in its order, each deletion only of the very file that was read.
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "engine/sets/backup_sets.h"
#include "engine/sets/retention.h"

namespace dszip::sets {

struct ThinningRequest {
  std::string folder;   // ending in "\"
  std::string archive;  // this run's archive, verified and under its final name: the file name
  std::vector<Rule> rules;
  bool moved = false;                 // a run of m: nothing is thinned
  std::vector<std::string> notWhole;  // stored names this run could not store whole
};

struct ThinningOutcome {
  std::vector<std::string> deleted;   // in the order they went
  std::vector<KeptArchive> kept;      // oldest first
  std::vector<std::string> notes;     // said under "Hinweise": no warning
  std::vector<std::string> warnings;  // each makes the run's exit code at least 1
};

// Never throws for a file: what cannot be read or deleted becomes a warning, and what rests
// on an archive that could not be deleted stays. A doubt about the folder (a file not
// readable, two files of one identity, a record dated after the clock) or a gap in a chain
// that stays thins nothing. An archive another run deleted meanwhile is a note.
ThinningOutcome ThinAfterBackup(FileSystem& fs, const ThinningRequest& request);

// The first archive the plan keeps whose chain is not whole, and why; empty when none. Every
// archive that stays must rest on a whole chain, else the plan may misjudge what rests on what
// and nothing goes.
std::string GapInKept(const ThinningPlan& plan, const BackupSet& set);

// The plan's input for a set, its newest archive (or `newArchive`) taken as this run's.
PlanInput PlanInputOf(const BackupSet& set, const std::string& newArchive);

}  // namespace dszip::sets
