#pragma once
// Thinning out a set: the rules of -behalten and the plan of what stays and what goes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sets/archive_record.h"
#include "engine/sets/set_texts.h"

namespace dszip::sets {

// n: the newest n archives; nT, nW, nM, nJ: the newest archive of each of the last n days,
// ISO weeks, months or years that have one.
enum class RuleUnit { Newest, Day, Week, Month, Year };
struct Rule {
  RuleUnit unit = RuleUnit::Newest;
  int count = 1;
  bool operator==(const Rule&) const = default;
};

// "7T,4W,12M" (units in either case). Anything else raises RunError with the usage exit code
// and a message naming the faulty rule.
std::vector<Rule> ParseRules(std::string_view text);

struct PlanArchive {
  std::string name;
  int64_t day = 0;  // reference date (see backup_sets.h)
  ArchiveKind kind = ArchiveKind::Full;
  std::string follows;  // an incremental's link
  // Another archive of the same number (two runs of the set at once): it stays while this one
  // does, since what it holds may be missing from this one's chain.
  std::string twin = {};
};

struct PlanInput {
  std::vector<PlanArchive> archives;  // the set, oldest first, this run's archive included
  std::string newArchive;
  int64_t referenceDay = 0;  // this run's
  // For a run with warnings: for each file it could not store whole, the newest earlier
  // archive that holds it.
  std::vector<std::string> lastWholeCopies;
  const char* newArchiveReason = texts::KeptThisRun;  // this run's archive, or b's newest
};

struct KeptArchive {
  std::string name;
  std::vector<std::string> reasons;  // "Tag 05.03.2024", "Kette von 20240303-0.zip", ...
};

struct ThinningPlan {
  std::vector<KeptArchive> kept;     // oldest first
  std::vector<std::string> deleted;  // in the order to delete them
  std::string note;                  // said once in the summary, or empty
};

// Keeps what any rule, the new archive, the warning rule or a safety rule keeps, each with
// its chain back to its full; deletes the rest, each chain newest first, so that stopping
// between two deletions leaves whole chains. A run of m thins nothing.
ThinningPlan PlanThinning(const std::vector<Rule>& rules, const PlanInput& input);

}  // namespace dszip::sets
