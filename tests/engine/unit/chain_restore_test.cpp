// x -kette and l -kette: which archive each file of a night comes from.
#include <gtest/gtest.h>

#include "engine/outcome.h"
#include "engine/sets/chain_restore.h"
#include "engine/sets/state_list.h"

namespace dszip::sets {
namespace {

using Names = std::vector<std::string>;

// A full, then two incrementals: b changed on the first night, then b deleted, c changed and
// d added (spelled "D/" in the state list) on the second.
std::vector<ChainArchive> Set() {
  return {
      {"20240304-0.zip", ArchiveKind::Full, "", {"a", "b", "c", "D/"}, std::nullopt},
      {"20240305-0.zip",
       ArchiveKind::Incremental,
       "20240304-0.zip",
       {"b", kStateListName},
       Names{"a", "b", "c", "D/"}},
      {"20240306-0.ZIP",
       ArchiveKind::Incremental,
       "20240305-0.zip",
       {kStateListName, "C", "d/e"},
       Names{"a", "c", "d/", "D/E"}},
      {"20240307-0.zip", ArchiveKind::Incremental, "20240301-0.zip", {"a"}, Names{"a"}},
      {"20240308-0.zip", ArchiveKind::Incremental, "20240306-0.zip", {"a"}, std::nullopt},
  };
}

TEST(ChainRestore, EachFileFromTheNewestArchiveThatHoldsIt) {
  const struct {
    const char* named;
    std::vector<RestoreSource> plan;
  } rows[] = {
      {"20240304-0.zip",
       {{"a", "20240304-0.zip"},
        {"b", "20240304-0.zip"},
        {"c", "20240304-0.zip"},
        {"D/", "20240304-0.zip"}}},
      {"20240305-0.ZIP",
       {{"a", "20240304-0.zip"},
        {"c", "20240304-0.zip"},
        {"D/", "20240304-0.zip"},
        {"b", "20240305-0.zip"}}},
      // b had been deleted by then.
      {"20240306-0.zip",
       {{"a", "20240304-0.zip"},
        {"D/", "20240304-0.zip"},
        {"C", "20240306-0.ZIP"},
        {"d/e", "20240306-0.ZIP"}}},
  };
  for (const auto& row : rows) EXPECT_EQ(PlanChainRestore(row.named, Set()), row.plan) << row.named;
}

TEST(ChainRestore, NamesWhatIsMissing) {
  const struct {
    const char* named;
    const char* named_in_message;
  } rows[] = {
      {"20240307-0.zip", "20240301-0.zip"},  // a link gone
      {"20240308-0.zip", "20240308-0.zip"},  // no state list
      {"20240309-0.zip", "20240309-0.zip"},  // not in the set at all
  };
  for (const auto& row : rows) {
    try {
      PlanChainRestore(row.named, Set());
      ADD_FAILURE() << row.named;
    } catch (const RunError& error) {
      EXPECT_EQ(error.ExitCode(), kExitFatal) << row.named;
      EXPECT_NE(std::string(error.what()).find(row.named_in_message), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace dszip::sets
