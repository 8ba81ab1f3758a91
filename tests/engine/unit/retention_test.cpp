// Thinning out backup sets: the rules, and night-by-night histories of a folder in which each
// night's archive is recorded, grouped into its set and the set thinned as planned.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "engine/outcome.h"
#include "engine/sets/backup_sets.h"
#include "engine/sets/calendar.h"
#include "engine/sets/retention.h"

namespace dszip::sets {
namespace {

TEST(Retention, ParsesRules) {
  EXPECT_EQ(ParseRules("7T,4w,12M,1j,3"), (std::vector<Rule>{{RuleUnit::Day, 7},
                                                             {RuleUnit::Week, 4},
                                                             {RuleUnit::Month, 12},
                                                             {RuleUnit::Year, 1},
                                                             {RuleUnit::Newest, 3}}));
  for (const char* bad :
       {"", "7T,", ",7T", "0T", "T", "7X", "7TT", "10000", "7 T", "-1", "7T;4W"}) {
    try {
      ParseRules(bad);
      ADD_FAILURE() << bad;
    } catch (const RunError& error) {
      EXPECT_EQ(error.ExitCode(), kExitUsage) << bad;
    }
  }
}

int64_t Day(const std::string& yyyymmdd) {
  return DayNumber({std::stoi(yyyymmdd.substr(0, 4)), std::stoi(yyyymmdd.substr(4, 2)),
                    std::stoi(yyyymmdd.substr(6, 2))});
}

std::string Name(int64_t day, int job) {
  const Date date = DateOfDay(day);
  return std::to_string(date.year * 10000 + date.month * 100 + date.day) + "-" +
         std::to_string(job) + ".zip";
}

struct Night {
  int64_t day;
  char kind;    // F, I or M
  int job = 0;  // job 0 and 1 share the folder
};

// Every night from `first` to `last`: a full on Mondays, else an incremental.
std::vector<Night> Nights(const std::string& first, const std::string& last, int job = 0) {
  std::vector<Night> nights;
  for (int64_t day = Day(first); day <= Day(last); ++day)
    nights.push_back({day, IsoWeekOf(day).week != IsoWeekOf(day - 1).week ? 'F' : 'I', job});
  return nights;
}
std::vector<Night> operator+(std::vector<Night> a, const std::vector<Night>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::vector<std::string> Names(const std::string& first, const std::string& last, int job = 0) {
  std::vector<std::string> names;
  for (int64_t day = Day(first); day <= Day(last); ++day) names.push_back(Name(day, job));
  return names;
}
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

ArchiveRecord RecordOf(const Night& night, const std::string& follows) {
  ArchiveRecord record;
  record.kind = night.kind == 'F'   ? ArchiveKind::Full
                : night.kind == 'M' ? ArchiveKind::Moved
                                    : ArchiveKind::Incremental;
  const Date date = DateOfDay(night.day);
  record.made = {date.year, date.month, date.day, 22, 0, 0, 60};
  if (record.kind == ArchiveKind::Incremental) record.follows = follows;
  // Job 0's source is spelled differently on odd nights: still one set.
  record.sources = {night.job == 1 ? "D:\\Mail" : night.day % 2 ? "c:/DATEN/" : "C:\\Daten\\"};
  return record;
}

// Whole chains: every incremental's link is still in the folder.
void ExpectWholeChains(const std::vector<FolderArchive>& folder, const std::string& when) {
  std::set<std::string> names;
  for (const FolderArchive& file : folder) names.insert(file.name);
  for (const FolderArchive& file : folder) {
    if (file.record && file.record->kind == ArchiveKind::Incremental) {
      EXPECT_EQ(names.count(file.record->follows), 1u) << file.name << " lost its link " << when;
    }
  }
}

void ExpectSafe(const ThinningPlan& plan, const PlanInput& input) {
  for (const std::string& gone : plan.deleted) {
    EXPECT_NE(gone, input.newArchive);
    for (const PlanArchive& archive : input.archives) {
      if (archive.name != gone) continue;
      EXPECT_NE(archive.kind, ArchiveKind::Moved) << gone;
      EXPECT_LE(archive.day, input.referenceDay) << gone;
    }
  }
  EXPECT_EQ(plan.kept.size() + plan.deleted.size(), input.archives.size());
}

// Files a folder holds that belong to no set.
std::vector<FolderArchive> ForeignFiles() {
  return {
      {"alt.zip", std::nullopt, {}, {}},
      {"20240102-7.zip", ParseRecord("Erstellt mit einem anderen Programm"), {}, {}},
      {"20240103-7.zip", ParseRecord("dszip-Sicherungssatz, Format 3\r\nArt: voll\r\n"), {}, {}}};
}

struct History {
  const char* name;
  const char* rules;
  std::vector<Night> nights;
  std::vector<std::string> expected;  // what the folder holds at the end, foreign files aside
  std::string wholeCopy = {};         // from the night after it on, each run warns about a file
};

PlanInput InputFor(const std::vector<FolderArchive>& folder, const std::string& fresh,
                   int64_t referenceDay) {
  PlanInput input{{}, fresh, referenceDay, {}, texts::KeptThisRun};
  for (const BackupSet& set : GroupIntoSets(folder)) {
    const auto isFresh = [&](const SetMember& member) { return member.name == fresh; };
    if (std::none_of(set.archives.begin(), set.archives.end(), isFresh)) continue;
    for (const SetMember& member : set.archives)
      input.archives.push_back(
          {member.name, member.day, member.record.kind, member.record.follows});
  }
  return input;
}

// Runs the nights and returns what the folder holds at the end, sorted.
std::vector<std::string> Folder(const History& history) {
  std::vector<FolderArchive> folder = ForeignFiles();
  std::map<int, std::string> previous;
  for (const Night& night : history.nights) {
    const std::string name = Name(night.day, night.job);
    folder.push_back(
        {name, ParseRecord(FormatRecord(RecordOf(night, previous[night.job]))), {}, {}});
    previous[night.job] = name;
    PlanInput input = InputFor(folder, name, night.day);
    if (!history.wholeCopy.empty() && night.day > Day(history.wholeCopy))
      input.lastWholeCopies = {history.wholeCopy};
    const ThinningPlan plan = PlanThinning(ParseRules(history.rules), input);
    ExpectSafe(plan, input);
    if (night.kind == 'M') {
      EXPECT_TRUE(plan.deleted.empty() && !plan.note.empty()) << name;
    }
    // A kill after any deletion leaves whole chains.
    for (const std::string& gone : plan.deleted) {
      std::erase_if(folder, [&](const FolderArchive& file) { return file.name == gone; });
      ExpectWholeChains(folder, "after deleting " + gone + " on " + name);
    }
  }
  std::vector<std::string> names;
  for (const FolderArchive& file : folder) names.push_back(file.name);
  std::sort(names.begin(), names.end());
  return names;
}

// Job 0 as Nights has it, and job 1 making a full every night after it.
std::vector<Night> TwoJobs(const std::string& first, const std::string& last) {
  std::vector<Night> nights;
  for (const Night& night : Nights(first, last)) {
    nights.push_back(night);
    nights.push_back({night.day, 'F', 1});
  }
  return nights;
}

TEST(Retention, NightByNight) {
  const std::vector<Night> sixty = Nights("20240101", "20240229");  // 1 January was a Monday
  const History rows[] = {
      {"60 nights, 7T,4W", "7T,4W", sixty, Names("20240205", "20240229")},
      {"60 nights, newest 3", "3", sixty, Names("20240226", "20240229")},
      {"60 nights, 2M", "2M", sixty, Names("20240129", "20240131") + Names("20240226", "20240229")},
      {"60 nights, 1J", "1J", sixty, Names("20240226", "20240229")},
      {"a month offline, 7T", "7T", Nights("20240101", "20240120") + Nights("20240226", "20240229"),
       Names("20240115", "20240120") + Names("20240226", "20240229")},
      {"newest dated in the future, 3T", "3T",
       Nights("20240101", "20240110") + std::vector<Night>{{Day("20240601"), 'I'}} +
           Nights("20240111", "20240120"),
       Names("20240108", "20240110") + Names("20240115", "20240120") +
           Names("20240601", "20240601")},
      {"two sets in one folder, newest 3", "3", TwoJobs("20240101", "20240114"),
       Names("20240108", "20240114") + Names("20240112", "20240114", 1)},
      {"moved archives stay, newest 2", "2",
       std::vector<Night>{{Day("20240101"), 'F'}, {Day("20240102"), 'M'}} +
           Nights("20240103", "20240110"),
       Names("20240102", "20240102") + Names("20240108", "20240110")},
      {"a run of m thins nothing, newest 1", "1",
       Nights("20240101", "20240103") + std::vector<Night>{{Day("20240104"), 'M'}},
       Names("20240101", "20240104")},
      {"warning runs keep the last whole copy, 7T,4W", "7T,4W", sixty,
       Names("20240108", "20240110") + Names("20240205", "20240229"), "20240110-0.zip"},
  };
  std::vector<std::string> foreign;
  for (const FolderArchive& file : ForeignFiles()) foreign.push_back(file.name);
  for (const History& row : rows) {
    std::vector<std::string> expected = row.expected + foreign;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Folder(row), expected) << row.name;
  }
}

TEST(Retention, SaysWhyEachStays) {
  const PlanInput input{
      {{"20240226-0.zip", Day("20240226"), ArchiveKind::Full, ""},
       {"20240227-0.zip", Day("20240227"), ArchiveKind::Incremental, "20240226-0.zip"},
       {"20240228-0.zip", Day("20240228"), ArchiveKind::Incremental, "20240227-0.zip"}},
      "20240228-0.zip",
      Day("20240228"),
      {},
      texts::KeptThisRun};
  const ThinningPlan plan = PlanThinning(ParseRules("2T,1W,1M,1J,1"), input);
  ASSERT_EQ(plan.kept.size(), 3u);
  EXPECT_EQ(plan.kept[0].reasons, std::vector<std::string>{"Kette von 20240228-0.zip"});
  EXPECT_EQ(plan.kept[1].reasons, std::vector<std::string>{"Tag 27.02.2024"});
  EXPECT_EQ(plan.kept[2].reasons,
            (std::vector<std::string>{"Dieser Lauf", "Tag 28.02.2024", "Woche 9/2024",
                                      "Monat 02/2024", "Jahr 2024", "Neueste 1"}));
  // After m nothing goes, and each says why.
  PlanInput moved = input;
  moved.archives.push_back({"20240229-0.zip", Day("20240229"), ArchiveKind::Moved, ""});
  moved.newArchive = "20240229-0.zip";
  const ThinningPlan afterMove = PlanThinning(ParseRules("1"), moved);
  ASSERT_EQ(afterMove.kept.size(), 4u);
  EXPECT_TRUE(afterMove.deleted.empty());
  EXPECT_EQ(afterMove.kept[0].reasons, std::vector<std::string>{texts::KeptByMoveRun});
  EXPECT_EQ(afterMove.kept[3].reasons, std::vector<std::string>{texts::KeptMoved});
}

// A broken chain still leaves a full, and chains go newest first.
TEST(Retention, DeletesChainsNewestFirst) {
  const PlanInput input{{{"a.zip", 1, ArchiveKind::Full, ""},
                         {"b.zip", 2, ArchiveKind::Incremental, "A.ZIP"},
                         {"c.zip", 3, ArchiveKind::Incremental, "b.zip"},
                         {"d.zip", 4, ArchiveKind::Full, ""},
                         {"e.zip", 5, ArchiveKind::Incremental, "d.zip"},
                         {"f.zip", 6, ArchiveKind::Incremental, "gone.zip"}},
                        "f.zip",
                        6,
                        {},
                        texts::KeptThisRun};
  const ThinningPlan plan = PlanThinning(ParseRules("1"), input);
  EXPECT_EQ(plan.deleted, (std::vector<std::string>{"c.zip", "b.zip", "a.zip", "e.zip"}));
  ASSERT_EQ(plan.kept.size(), 2u);
  EXPECT_EQ(plan.kept[0].name, "d.zip");
  EXPECT_EQ(plan.kept[0].reasons, std::vector<std::string>{"Letzte Vollsicherung"});
}

}  // namespace
}  // namespace dszip::sets
