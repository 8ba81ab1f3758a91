// The rules of -behalten and the thinning plan. Any text either parses or raises the usage
// error. For a set made of the rest of the input (any kinds, dates and links, broken and
// looping ones included), the plan keeps this run's archive, every moved and every later
// dated one, a full when there was one, and each kept incremental's chain; and deleting in
// its order never takes an archive while one resting on it is still there.
//
// Input: rules 0x01 then three bytes per archive: kind, day, link.

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "engine/outcome.h"
#include "engine/sets/retention.h"
#include "fuzz_support.h"

using namespace dszip::sets;

namespace {

// Archives in the order they were made, so that a link names an earlier one (or none there),
// then ordered by their dates, which need not agree.
PlanInput SetOf(const std::string& bytes) {
  PlanInput input;
  for (size_t at = 0; at + 3 <= bytes.size() && input.archives.size() < 64; at += 3) {
    const size_t made = at / 3;
    const unsigned kind = static_cast<unsigned char>(bytes[at]) % 4;
    PlanArchive archive;
    archive.name = "a" + std::to_string(made) + ".zip";
    archive.day = static_cast<unsigned char>(bytes[at + 1]);
    archive.kind = kind == 0   ? ArchiveKind::Full
                   : kind == 1 ? ArchiveKind::Moved
                               : ArchiveKind::Incremental;
    const size_t link = static_cast<unsigned char>(bytes[at + 2]);
    if (archive.kind == ArchiveKind::Incremental)
      archive.follows = link < made ? "A" + std::to_string(link) + ".ZIP" : "weg.zip";
    input.archives.push_back(archive);
  }
  std::stable_sort(input.archives.begin(), input.archives.end(),
                   [](const PlanArchive& a, const PlanArchive& b) { return a.day < b.day; });
  if (!input.archives.empty()) {
    input.newArchive = input.archives[bytes.size() % input.archives.size()].name;
    input.referenceDay = static_cast<unsigned char>(bytes.back());
    input.lastWholeCopies = {input.archives.front().name};
  }
  return input;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void CheckPlan(const PlanInput& input, const ThinningPlan& plan) {
  std::set<std::string> present;
  for (const PlanArchive& archive : input.archives) present.insert(Lower(archive.name));
  std::set<std::string> kept;
  for (const KeptArchive& archive : plan.kept) {
    FUZZ_CHECK(!archive.reasons.empty() || !plan.note.empty());
    kept.insert(Lower(archive.name));
  }
  FUZZ_CHECK(kept.size() + plan.deleted.size() == input.archives.size());
  FUZZ_CHECK(input.archives.empty() || kept.count(Lower(input.newArchive)) == 1);
  bool fullThere = false, fullKept = false;
  for (const PlanArchive& archive : input.archives) {
    const bool stays = kept.count(Lower(archive.name)) == 1;
    if (archive.kind == ArchiveKind::Moved || archive.day > input.referenceDay) FUZZ_CHECK(stays);
    fullThere |= archive.kind == ArchiveKind::Full;
    fullKept |= stays && archive.kind == ArchiveKind::Full;
  }
  FUZZ_CHECK(fullKept || !fullThere);
  // After each deletion, every archive left still has the link it had.
  for (const std::string& gone : plan.deleted) {
    present.erase(Lower(gone));
    for (const PlanArchive& archive : input.archives)
      if (present.count(Lower(archive.name)) && Lower(archive.follows) == Lower(gone))
        FUZZ_FAIL("an archive lost its link");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fields fields(data, size);
  const std::string rulesText = fields.Next();
  std::vector<Rule> rules;
  try {
    rules = ParseRules(rulesText);
  } catch (const dszip::RunError& error) {
    FUZZ_CHECK(error.ExitCode() == dszip::kExitUsage);
    return 0;
  }
  const PlanInput input = SetOf(fields.Rest());
  CheckPlan(input, PlanThinning(rules, input));
  return 0;
}
