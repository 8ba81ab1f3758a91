#include "engine/sets/retention.h"

#include <algorithm>
#include <map>
#include <optional>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/outcome.h"
#include "engine/sets/calendar.h"
#include "engine/sets/set_texts.h"
#include "zip/stored_name.h"

namespace dszip::sets {
namespace {

constexpr int kMaxCount = 9999;

std::optional<RuleUnit> UnitOf(std::string_view letters) {
  if (letters.empty()) return RuleUnit::Newest;
  if (letters.size() != 1) return std::nullopt;
  switch (letters[0]) {
    case 'T':
    case 't': return RuleUnit::Day;
    case 'W':
    case 'w': return RuleUnit::Week;
    case 'M':
    case 'm': return RuleUnit::Month;
    case 'J':
    case 'j': return RuleUnit::Year;
    default: return std::nullopt;
  }
}

std::optional<Rule> ParseRule(std::string_view text) {
  const size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
  if (digits == 0 || digits > 4) return std::nullopt;
  int count = 0;
  for (const char c : text.substr(0, digits)) count = count * 10 + (c - '0');
  const std::optional<RuleUnit> unit = UnitOf(text.substr(digits));
  if (!unit || count < 1 || count > kMaxCount) return std::nullopt;
  return Rule{*unit, count};
}

// The period of a day under a rule: equal numbers, same period.
int64_t PeriodOf(RuleUnit unit, int64_t day) {
  const Date date = DateOfDay(day);
  switch (unit) {
    case RuleUnit::Newest:
    case RuleUnit::Day: return day;
    case RuleUnit::Week: {
      const IsoWeek week = IsoWeekOf(day);
      return int64_t{week.year} * 100 + week.week;
    }
    case RuleUnit::Month: return int64_t{date.year} * 100 + date.month;
    case RuleUnit::Year: return date.year;
  }
  return day;
}

std::string PeriodText(RuleUnit unit, int64_t day) {
  const Date date = DateOfDay(day);
  const std::string year = std::to_string(date.year);
  switch (unit) {
    case RuleUnit::Newest:
    case RuleUnit::Day:
      return Filled(texts::KeptDay,
                    {TwoDigits(date.day) + "." + TwoDigits(date.month) + "." + year});
    case RuleUnit::Week: {
      const IsoWeek week = IsoWeekOf(day);
      return Filled(texts::KeptWeek, {std::to_string(week.week), std::to_string(week.year)});
    }
    case RuleUnit::Month: return Filled(texts::KeptMonth, {TwoDigits(date.month), year});
    case RuleUnit::Year: return Filled(texts::KeptYear, {year});
  }
  return {};
}

}  // namespace

std::vector<Rule> ParseRules(std::string_view text) {
  std::vector<Rule> rules;
  const std::string whole(text);
  for (;;) {
    const size_t comma = text.find(',');
    const std::string_view part = text.substr(0, comma);
    const std::optional<Rule> rule = ParseRule(part);
    if (!rule && part.empty()) throw RunError(kExitUsage, Filled(texts::EmptyRule, {whole}));
    if (!rule) throw RunError(kExitUsage, Filled(texts::BadRule, {std::string(part)}));
    rules.push_back(*rule);
    if (comma == std::string_view::npos) return rules;
    text.remove_prefix(comma + 1);
  }
}

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// One set's archives with their links resolved, and why each one stays.
class Planner {
 public:
  explicit Planner(const PlanInput& input)
      : input_(input), reasons_(input.archives.size()), chainHead_(input.archives.size(), kNone) {
    const std::vector<PlanArchive>& archives = input.archives;
    for (size_t i = 0; i < archives.size(); ++i)
      indexOf_.try_emplace(zip::FoldCase(archives[i].name), i);
    for (size_t i = 0; i < archives.size(); ++i) {
      const size_t before =
          archives[i].kind == ArchiveKind::Incremental ? Find(archives[i].follows) : kNone;
      previous_.push_back(before == i ? kNone : before);
    }
  }

  size_t Find(const std::string& name) const {
    const auto found = indexOf_.find(zip::FoldCase(name));
    return found == indexOf_.end() ? kNone : found->second;
  }
  size_t Size() const { return input_.archives.size(); }
  const PlanArchive& At(size_t i) const { return input_.archives[i]; }
  bool Eligible(size_t i) const { return At(i).day <= input_.referenceDay; }

  void Keep(size_t i, const std::string& reason) {
    if (i == kNone) return;
    std::vector<std::string>& reasons = reasons_[i];
    if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
      reasons.push_back(reason);
  }

  // Every archive a kept one rests on stays too, named after the newest kept one above it.
  void KeepChains() {
    for (size_t i = Size(); i-- > 0;) {
      if (reasons_[i].empty()) continue;
      for (size_t p = previous_[i]; p != kNone && chainHead_[p] == kNone; p = previous_[p])
        chainHead_[p] = i;
    }
  }
  bool Kept(size_t i) const { return !reasons_[i].empty() || chainHead_[i] != kNone; }

  void KeepTwins() {
    bool more = false;
    for (size_t i = 0; i < Size(); ++i) {
      const size_t twin = At(i).twin.empty() ? kNone : Find(At(i).twin);
      if (twin == kNone || !Kept(i) || Kept(twin)) continue;
      Keep(twin, Filled(texts::KeptTwin, {At(i).name}));
      more = true;
    }
    if (more) KeepChains();
  }

  // Steps back to the start of the chain, and that start (bounded: links may loop).
  std::pair<size_t, size_t> DepthAndRoot(size_t i) const {
    size_t depth = 0;
    while (previous_[i] != kNone && depth < Size()) i = previous_[i], ++depth;
    return {depth, i};
  }

  ThinningPlan Result() const {
    ThinningPlan plan;
    std::vector<Doomed> doomed;
    for (size_t i = 0; i < Size(); ++i) {
      if (!Kept(i)) {
        const auto [depth, root] = DepthAndRoot(i);
        doomed.push_back({root, depth, i});
        continue;
      }
      KeptArchive kept{At(i).name, reasons_[i]};
      if (kept.reasons.empty())
        kept.reasons.push_back(Filled(texts::KeptChain, {At(chainHead_[i]).name}));
      plan.kept.push_back(std::move(kept));
    }
    // Oldest chain first; within it the link furthest from its start first, so that no
    // archive goes while one resting on it is still there.
    std::sort(doomed.begin(), doomed.end(), [](const Doomed& a, const Doomed& b) {
      if (a.root != b.root) return a.root < b.root;
      if (a.depth != b.depth) return a.depth > b.depth;
      return a.index > b.index;
    });
    for (const Doomed& one : doomed) plan.deleted.push_back(At(one.index).name);
    return plan;
  }

  const PlanInput& Input() const { return input_; }

 private:
  struct Doomed {
    size_t root, depth, index;
  };

  const PlanInput& input_;
  std::map<std::string, size_t> indexOf_;
  std::vector<size_t> previous_;
  std::vector<std::vector<std::string>> reasons_;
  std::vector<size_t> chainHead_;
};

void KeepByRule(const Rule& rule, Planner& planner) {
  int periods = 0;
  int64_t lastPeriod = 0;
  for (size_t i = planner.Size(); i-- > 0;) {
    if (!planner.Eligible(i)) continue;
    const int64_t period = PeriodOf(rule.unit, planner.At(i).day);
    if (rule.unit != RuleUnit::Newest && periods > 0 && period == lastPeriod) continue;
    if (++periods > rule.count) return;
    lastPeriod = period;
    planner.Keep(i, rule.unit == RuleUnit::Newest
                        ? Filled(texts::KeptNewest, {std::to_string(rule.count)})
                        : PeriodText(rule.unit, planner.At(i).day));
  }
}

void KeepForSafety(Planner& planner) {
  const PlanInput& input = planner.Input();
  planner.Keep(planner.Find(input.newArchive), input.newArchiveReason);
  for (const std::string& name : input.lastWholeCopies)
    planner.Keep(planner.Find(name), texts::KeptForWarnings);
  for (size_t i = 0; i < planner.Size(); ++i) {
    if (!planner.Eligible(i)) planner.Keep(i, texts::KeptFuture);
    if (planner.At(i).kind == ArchiveKind::Moved) planner.Keep(i, texts::KeptMoved);
  }
}

// At least one full stays: the newest, when no other reason keeps one.
void KeepLastFull(Planner& planner) {
  size_t newestFull = kNone;
  for (size_t i = 0; i < planner.Size(); ++i) {
    if (planner.At(i).kind != ArchiveKind::Full) continue;
    if (planner.Kept(i)) return;
    newestFull = i;
  }
  planner.Keep(newestFull, texts::KeptLastFull);
}

}  // namespace

ThinningPlan PlanThinning(const std::vector<Rule>& rules, const PlanInput& input) {
  Planner planner(input);
  const size_t fresh = planner.Find(input.newArchive);
  if (fresh != kNone && planner.At(fresh).kind == ArchiveKind::Moved) {
    ThinningPlan plan{{}, {}, texts::MovedThinsNothing};
    for (const PlanArchive& archive : input.archives)
      plan.kept.push_back(
          {archive.name,
           {archive.kind == ArchiveKind::Moved ? texts::KeptMoved : texts::KeptByMoveRun}});
    return plan;
  }
  KeepForSafety(planner);
  for (const Rule& rule : rules) KeepByRule(rule, planner);
  planner.KeepChains();
  planner.KeepTwins();
  KeepLastFull(planner);
  return planner.Result();
}

}  // namespace dszip::sets
