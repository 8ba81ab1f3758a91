#include "engine/sets/chain_restore.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/filled.h"
#include "engine/outcome.h"
#include "engine/sets/set_texts.h"
#include "engine/sets/state_list.h"
#include "zip/stored_name.h"

namespace dszip::sets {
namespace {

const ChainArchive& Find(const std::string& name, const std::vector<ChainArchive>& set) {
  const std::string folded = zip::FoldCase(name);
  for (const ChainArchive& archive : set)
    if (zip::FoldCase(archive.name) == folded) return archive;
  throw RunError(kExitFatal, Filled(texts::ChainLinkMissing, {name}));
}

// The named archive back to the archive its chain starts at, oldest first.
std::vector<const ChainArchive*> ChainOf(const std::string& named,
                                         const std::vector<ChainArchive>& set) {
  std::vector<const ChainArchive*> chain{&Find(named, set)};
  while (chain.back()->kind == ArchiveKind::Incremental && !chain.back()->follows.empty()) {
    const ChainArchive& before = Find(chain.back()->follows, set);
    if (std::find(chain.begin(), chain.end(), &before) != chain.end())
      throw RunError(kExitFatal, Filled(texts::ChainLinkMissing, {chain.back()->follows}));
    chain.push_back(&before);
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

}  // namespace

std::vector<RestoreSource> PlanChainRestore(const std::string& named,
                                            const std::vector<ChainArchive>& set) {
  const std::vector<const ChainArchive*> chain = ChainOf(named, set);
  const ChainArchive& last = *chain.back();
  if (last.kind == ArchiveKind::Incremental && !last.stateNames)
    throw RunError(kExitFatal, Filled(texts::StateListMissing, {last.name}));
  // The newest archive that holds each name.
  std::map<std::string, const ChainArchive*> source;
  for (const ChainArchive* archive : chain)
    for (const std::string& name : archive->storedNames) source[zip::FoldCase(name)] = archive;
  std::set<std::string> existed;
  if (last.stateNames)
    for (const std::string& name : *last.stateNames) existed.insert(zip::FoldCase(name));
  source.erase(zip::FoldCase(kStateListName));

  std::vector<RestoreSource> plan;
  for (const ChainArchive* archive : chain) {
    for (const std::string& name : archive->storedNames) {
      const std::string folded = zip::FoldCase(name);
      const auto from = source.find(folded);
      if (from == source.end() || from->second != archive) continue;
      if (last.stateNames && existed.count(folded) == 0) continue;
      plan.push_back({name, archive->name});
      source.erase(from);  // a name twice in one archive comes once
    }
  }
  return plan;
}

std::vector<std::string> MissingFromChain(const std::string& named,
                                          const std::vector<ChainArchive>& set) {
  const std::vector<const ChainArchive*> chain = ChainOf(named, set);
  if (!chain.back()->stateNames) return {};
  std::set<std::string> held;
  for (const ChainArchive* archive : chain)
    for (const std::string& name : archive->storedNames) held.insert(zip::FoldCase(name));
  std::vector<std::string> missing;
  for (const std::string& name : *chain.back()->stateNames)
    if (!name.empty() && name.back() != '/' && held.count(zip::FoldCase(name)) == 0)
      missing.push_back(name);
  return missing;
}

}  // namespace dszip::sets
