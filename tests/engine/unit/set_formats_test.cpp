// What an archive of a backup set carries (its record in the comment, the state list entry)
// and how a folder's archives fall into sets.
#include <gtest/gtest.h>

#include "engine/sets/archive_record.h"
#include "engine/sets/backup_sets.h"
#include "engine/sets/calendar.h"
#include "engine/sets/state_list.h"

namespace dszip::sets {
namespace {

ArchiveRecord Record(ArchiveKind kind, std::vector<std::string> sources, std::string follows = {}) {
  ArchiveRecord record;
  record.kind = kind;
  record.made = {2024, 3, 5, 21, 30, 12, 60};
  record.follows = std::move(follows);
  record.sources = std::move(sources);
  return record;
}

// A record of format 2: identity, number and computer, and an incremental's link bound to
// the identity and directory of the archive before.
ArchiveRecord Identified(ArchiveRecord record, const char* followsId = "") {
  record.id = "0123456789abcdef0123456789abcdef";
  record.sequence = 12;
  record.computer = "B\xC3\x9CRO-1";
  record.followsId = followsId;
  if (!record.follows.empty()) record.followsDirectory = {4096, 0x0a1b2c3d};
  return record;
}

TEST(ArchiveRecord, RoundTrips) {
  ArchiveRecord westOfUtc = Record(ArchiveKind::Full, {"C:\\Daten"});
  westOfUtc.made = {2023, 12, 31, 23, 59, 59, -5 * 60 - 30};
  westOfUtc.recurse = false;
  const struct {
    const char* name;
    ArchiveRecord record;
  } rows[] = {
      {"full", Record(ArchiveKind::Full, {"C:\\Daten\\*.*", "D:\\Mail\\"})},
      {"incremental", Record(ArchiveKind::Incremental, {"C:\\Daten"}, "20240304-0.zip")},
      {"moved", Record(ArchiveKind::Moved, {"C:\\Ablage\\*.pdf"})},
      {"the first incremental of a folder: no link",
       Record(ArchiveKind::Incremental, {"C:\\Daten"})},
      {"west of UTC, -r-", westOfUtc},
      {"letters beyond ASCII, percent, controls",
       Record(ArchiveKind::Incremental, {"C:\\B\xC3\xBCro 100%\\\x01\r\n", "\xE2\x82\xAC"},
              "\xC3\xA4rger.zip")},
      {"format 2 full", Identified(Record(ArchiveKind::Full, {"C:\\Daten"}))},
      {"format 2 incremental",
       Identified(Record(ArchiveKind::Incremental, {"C:\\Daten"}, "20240304-0.zip"),
                  "fedcba9876543210fedcba9876543210")},
      {"format 2 incremental after one of format 1: no identity to follow",
       Identified(Record(ArchiveKind::Incremental, {"C:\\Daten"}, "20240304-0.zip"))},
      {"format 2, the first incremental of a folder",
       Identified(Record(ArchiveKind::Incremental, {"C:\\Daten"}))},
  };
  for (const auto& row : rows) {
    const std::string text = FormatRecord(row.record);
    EXPECT_EQ(text.find_first_of("\x80\xFF"), std::string::npos) << row.name;
    EXPECT_EQ(ParseRecord(text), row.record) << row.name << "\n" << text;
  }
}

TEST(ArchiveRecord, ReadsAsDocumented) {
  const std::string text =
      FormatRecord(Record(ArchiveKind::Incremental, {"C:\\B\xC3\xBCro\\*.doc"}, "20240304-0.zip"));
  EXPECT_EQ(text,
            "dszip-Sicherungssatz, Format 1\r\nArt: inkrementell\r\n"
            "Erstellt: 2024-03-05 21:30:12 +01:00\r\nFolgt auf: 20240304-0.zip\r\n"
            "Unterordner: -r\r\nQuelle: C:\\B%C3%BCro\\*.doc\r\n");
}

TEST(ArchiveRecord, Format2ReadsAsDocumented) {
  EXPECT_EQ(FormatRecord(Identified(Record(ArchiveKind::Incremental, {"C:\\Daten"}, "a.zip"),
                                    "fedcba9876543210fedcba9876543210")),
            "dszip-Sicherungssatz, Format 2\r\nKennung: 0123456789abcdef0123456789abcdef\r\n"
            "Art: inkrementell\r\nNummer: 12\r\nErstellt: 2024-03-05 21:30:12 +01:00\r\n"
            "Computer: B%C3%9CRO-1\r\nFolgt auf: a.zip\r\n"
            "Folgt auf Kennung: fedcba9876543210fedcba9876543210\r\n"
            "Folgt auf Verzeichnis: 4096 Bytes, CRC-32 0a1b2c3d\r\n"
            "Unterordner: -r\r\nQuelle: C:\\Daten\r\n");
  EXPECT_TRUE(LooksLikeRecord("dszip-Sicherungssatz, Format 3\r\n"));
  EXPECT_FALSE(LooksLikeRecord("Erstellt mit einem anderen Programm"));
}

TEST(ArchiveRecord, AnythingElseIsNoRecord) {
  const std::string good = FormatRecord(Record(ArchiveKind::Full, {"C:\\Daten"}));
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  const struct {
    const char* name;
    std::string comment;
  } rows[] = {
      {"empty", ""},
      {"foreign comment", "Erstellt mit einem anderen Programm\r\n"},
      {"later format", replaced("Format 1", "Format 2")},
      {"unknown kind", replaced("voll", "differentiell")},
      {"31 February", replaced("2024-03-05", "2024-02-31")},
      {"time without offset", replaced(" +01:00", "")},
      {"offset beyond 14 hours", replaced("+01:00", "+15:00")},
      {"no source", replaced("Quelle: C:\\Daten\r\n", "")},
      {"empty source", replaced("C:\\Daten", "")},
      {"broken escape", replaced("Daten", "Dat%en")},
      {"raw byte beyond ASCII", replaced("Daten", "D\xE4ten")},
      {"line appended", good + "Notiz: hallo\r\n"},
      {"blank line appended", good + "\r\n"},
      {"full with a link", replaced("Unterordner", "Folgt auf: a.zip\r\nUnterordner")},
      {"empty link",
       [] {
         std::string text = FormatRecord(Record(ArchiveKind::Incremental, {"C:\\Daten"}, "a.zip"));
         return text.replace(text.find("a.zip"), 5, "");
       }()},
      {"digest of the wrong length", replaced("Quelle: C:\\Daten",
                                              "Quellen-Kennung: 0123 (Liste zu lang fuer den "
                                              "Kommentar)")},
  };
  for (const auto& row : rows) EXPECT_FALSE(ParseRecord(row.comment)) << row.name;
  EXPECT_TRUE(ParseRecord(replaced("\r\n", "\n"))) << "LF line ends";
  const std::string second =
      FormatRecord(Identified(Record(ArchiveKind::Incremental, {"C:\\Daten"}, "a.zip"),
                              "fedcba9876543210fedcba9876543210"));
  const auto changed = [&](const std::string& from, const std::string& to) {
    std::string text = second;
    return text.replace(text.find(from), from.size(), to);
  };
  for (const std::string& bad :
       {changed("Kennung: 0123", "Kennung: 123"), changed("abcdef\r\nArt", "ABCDEF\r\nArt"),
        changed("Nummer: 12", "Nummer: 012"), changed("Nummer: 12", "Nummer: 0"),
        changed("Nummer: 12", "Nummer: -1"), changed("Nummer: 12\r\n", ""),
        changed("Computer: B%C3%9CRO-1\r\n", ""), changed("CRC-32 0a1b2c3d", "CRC-32 0a1b2c3"),
        changed("4096 Bytes", "04096 Bytes"),
        changed("Folgt auf Verzeichnis: 4096 Bytes, CRC-32 0a1b2c3d\r\n", ""),
        changed("Folgt auf Kennung: fedc", "Folgt auf Kennung: xedc")})
    EXPECT_FALSE(ParseRecord(bad)) << bad;
}

// A list too long for the comment is recorded by its digest, which still tells the set.
TEST(ArchiveRecord, LongSourceListBecomesDigest) {
  std::vector<std::string> sources;
  for (int i = 0; i < 2000; ++i) sources.push_back("C:\\Ordner\\Unterordner " + std::to_string(i));
  const ArchiveRecord record = Record(ArchiveKind::Full, sources);
  const std::string text = FormatRecord(record);
  ASSERT_LE(text.size(), kCommentLimit);
  const std::optional<ArchiveRecord> read = ParseRecord(text);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->sources.empty());
  EXPECT_EQ(SourcesKey(*read), SourcesKey(record));
  std::reverse(sources.begin(), sources.end());
  sources[0] = "c:/ORDNER/unterordner 1999";
  EXPECT_EQ(SourcesKey(Record(ArchiveKind::Full, sources)), SourcesKey(record));
  sources[0] += "9";
  EXPECT_NE(SourcesKey(Record(ArchiveKind::Full, sources)), SourcesKey(record));
}

TEST(StateList, RoundTripsAnyName) {
  const std::vector<StateEntry> entries = {
      {"Briefe/Antwort an Amt.txt", 1234, 133541234561234567},
      {"Tab\there/Zeile\r\nneu%20.txt", 0, 0},
      {"M\xC3\xBCller/\xE2\x82\xAC \x7F\x01.dat", 18446744073709551615u / 2, 2650467743999999999},
      {"leerer Ordner/", 0, 116444736000000000},
  };
  const std::string text = FormatStateList(entries);
  EXPECT_EQ(ParseStateList(text), entries) << text;
  EXPECT_NE(text.find("1234\t2024-03-05 "), std::string::npos) << text;
  EXPECT_EQ(ParseStateList(FormatStateList({})), std::vector<StateEntry>{});
  for (const std::string& bad :
       std::vector<std::string>{"", "1\t1601-01-01 00:00:00.0000000\ta\r\n",
                                text + "12\t2024-13-01 00:00:00.0000000\tx\r\n",
                                text + "12\t2024-01-01 00:00:00.0000000\t\r\n", text + "\r\n"})
    EXPECT_FALSE(ParseStateList(bad)) << bad;
}

TEST(Calendar, DaysAndIsoWeeks) {
  const struct {
    Date date;
    int isoYear, isoWeek;
  } rows[] = {
      {{2024, 3, 5}, 2024, 10}, {{2021, 1, 3}, 2020, 53}, {{2024, 12, 30}, 2025, 1},
      {{2024, 2, 29}, 2024, 9}, {{1970, 1, 1}, 1970, 1},  {{1601, 1, 1}, 1601, 1},
  };
  for (const auto& row : rows) {
    const int64_t day = DayNumber(row.date);
    EXPECT_EQ(DateOfDay(day), row.date) << row.date.year;
    EXPECT_EQ(IsoWeekOf(day).year, row.isoYear) << row.date.year << "-" << row.date.month;
    EXPECT_EQ(IsoWeekOf(day).week, row.isoWeek) << row.date.year << "-" << row.date.month;
  }
}

TEST(BackupSets, ReferenceDayOfName) {
  EXPECT_EQ(DayOfName("20240305-0.zip"), DayNumber({2024, 3, 5}));
  EXPECT_EQ(DayOfName("20240305-12.ZIP"), DayNumber({2024, 3, 5}));
  for (const char* other : {"20240305.zip", "20240305-.zip", "20240230-0.zip", "x20240305-0.zip",
                            "20240305-0.zip.tmp", "20240305-a.zip"})
    EXPECT_FALSE(DayOfName(other)) << other;
}

// Two jobs in one folder, spelled differently from night to night, beside foreign files.
TEST(BackupSets, GroupsBySourcesAsWindowsComparesThem) {
  ArchiveRecord unnamedDay = Record(ArchiveKind::Full, {"D:\\Mail"});
  unnamedDay.made = {2024, 3, 1, 23, 0, 0, 60};
  const std::vector<FolderArchive> folder = {
      {"20240305-0.zip",
       Record(ArchiveKind::Incremental, {"C:\\Daten", "E:\\\xC3\x84rger"}, "x"),
       {},
       {}},
      {"notizen.zip", std::nullopt, {}, {}},
      {"20240304-1.zip", Record(ArchiveKind::Full, {"d:/MAIL"}), {}, {}},
      {"20240304-0.zip", Record(ArchiveKind::Full, {"e:\\\xC3\xA4RGER", "c:\\daten"}), {}, {}},
      {"Mail vom Freitag.zip", unnamedDay, {}, {}},
  };
  const std::vector<BackupSet> sets = GroupIntoSets(folder);
  ASSERT_EQ(sets.size(), 2u);
  const auto names = [](const BackupSet& set) {
    std::vector<std::string> out;
    for (const SetMember& member : set.archives) out.push_back(member.name);
    return out;
  };
  EXPECT_EQ(names(sets[0]), (std::vector<std::string>{"20240304-0.zip", "20240305-0.zip"}));
  EXPECT_EQ(names(sets[1]), (std::vector<std::string>{"Mail vom Freitag.zip", "20240304-1.zip"}));
  EXPECT_EQ(sets[0].sources, (std::vector<std::string>{"C:\\Daten", "E:\\\xC3\x84rger"}));
}

}  // namespace
}  // namespace dszip::sets
