// A folder's sets and nights, and the tree of one night, on archives dszip wrote.
#include <gtest/gtest.h>

#include <functional>

#include "engine/outcome.h"
#include "engine/sets/archive_record.h"
#include "nights.h"
#include "restore_window/folder_model.h"
#include "restore_window/night_tree.h"

namespace restore_window {
namespace {

using Lines = std::vector<std::string>;

// Night 1 holds a.txt, Sub\b.txt and the empty Leer; night 2 changes b.txt and adds c.txt;
// night 3 deletes a.txt and adds Sub\d.txt.
struct ThreeNights : Nights {
  explicit ThreeNights(const std::string& extra = "") {
    fs.AddFolder("C:\\Daten\\Sub");
    fs.AddFolder("C:\\Daten\\Leer");
    fs.AddFile("C:\\Daten\\a.txt", "a1");
    fs.AddFile("C:\\Daten\\Sub\\b.txt", "b1");
    EXPECT_EQ(Night(1, extra), dszip::kExitOk) << console.lines;
    fs.AddFile("C:\\Daten\\Sub\\b.txt", "b2");
    fs.AddFile("C:\\Daten\\c.txt", "c2");
    EXPECT_EQ(Night(2, extra), dszip::kExitOk) << console.lines;
    fs.Delete("C:\\Daten\\a.txt");
    fs.AddFile("C:\\Daten\\Sub\\d.txt", "d3");
    EXPECT_EQ(Night(3, extra), dszip::kExitOk) << console.lines;
  }
};

// The model as lines: a set's sources, then its nights, then the files without a record.
Lines Described(const FolderModel& model) {
  Lines lines;
  for (const SetOfNights& set : model.sets) {
    lines.push_back(SetText(lines.size() + 1, set));
    for (const Night& night : set.nights)
      lines.push_back(night.name + " " + KindText(night.kind) + (night.broken.empty() ? "" : " !"));
  }
  for (const Night& night : model.single) lines.push_back("ohne Satz: " + night.name);
  return lines;
}

// A ZIP file of nothing but its end record, carrying `comment`.
std::string EmptyZip(const std::string& comment) {
  std::string zip("PK\x05\x06", 4);
  zip.append(16, '\0');
  zip += static_cast<char>(comment.size() & 0xFF);
  zip += static_cast<char>(comment.size() >> 8);
  return zip + comment;
}

TEST(FolderModel, SetsNightsAndForeignFiles) {
  const struct {
    const char* name;
    std::function<void(Nights&)> arrange;
    Lines model;
  } rows[] = {
      {"a whole chain, newest first",
       {},
       {"Satz 1: C:\\Daten auf BUERO1", "20240303-0.zip inkrementell",
        "20240302-0.zip inkrementell", "20240301-0.zip Vollsicherung"}},
      {"a link gone breaks the nights after it",
       [](Nights& n) { n.fs.Delete(Nights::Archive(2)); },
       {"Satz 1: C:\\Daten auf BUERO1", "20240303-0.zip inkrementell !",
        "20240301-0.zip Vollsicherung"}},
      {"foreign and damaged files apart",
       [](Nights& n) {
         n.fs.AddFile("E:\\Archiv\\fremd.zip", EmptyZip("kein Satz"));
         n.fs.AddFile("E:\\Archiv\\kaputt.zip", "PK nicht mehr");
         n.fs.AddFile("E:\\Archiv\\notiz.txt", "kein Archiv");
       },
       {"Satz 1: C:\\Daten auf BUERO1", "20240303-0.zip inkrementell",
        "20240302-0.zip inkrementell", "20240301-0.zip Vollsicherung", "ohne Satz: fremd.zip",
        "ohne Satz: kaputt.zip"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ThreeNights nights;
    if (row.arrange) row.arrange(nights);
    const FolderModel model = ReadFolder(nights.fs, "E:\\Archiv");
    EXPECT_EQ(model.folder, "E:\\Archiv\\");
    EXPECT_EQ(Described(model), row.model);
  }
}

TEST(FolderModel, AThousandNightsFromTheirRecordsAlone) {
  dszip::FakeFileSystem fs;
  fs.AddFolder("E:\\Archiv");
  std::string before;
  for (int i = 0; i < 1000; ++i) {
    dszip::sets::ArchiveRecord record;
    record.kind = i == 0 ? dszip::sets::ArchiveKind::Full : dszip::sets::ArchiveKind::Incremental;
    record.made = {2024, 3, 1, i / 60 % 24, i % 60, 0, 60};
    record.follows = before;
    record.sources = {"C:\\Daten"};
    before = "20240301-" + std::to_string(i) + ".zip";
    fs.AddFile("E:\\Archiv\\" + before, EmptyZip(dszip::sets::FormatRecord(record)));
  }
  const FolderModel model = ReadFolder(fs, "E:\\Archiv\\");
  ASSERT_EQ(model.sets.size(), 1u);
  ASSERT_EQ(model.sets[0].nights.size(), 1000u);
  EXPECT_EQ(model.sets[0].nights.front().name, "20240301-999.zip");
  for (const Night& night : model.sets[0].nights) EXPECT_EQ(night.broken, "") << night.name;
}

// The tree as "path from-archive" lines, depth first; folders end in "/".
void Flatten(const std::vector<TreeNode>& nodes, Lines& lines) {
  for (const TreeNode& node : nodes) {
    lines.push_back(node.path + (node.folder ? "/" : " " + node.archive.substr(0, 8)));
    Flatten(node.children, lines);
  }
}
Lines Flat(const std::vector<TreeNode>& nodes) {
  Lines lines;
  Flatten(nodes, lines);
  return lines;
}

TEST(NightTree, EachFileFromTheNewestArchiveThatHoldsIt) {
  ThreeNights nights;
  const struct {
    int night;
    Lines tree;
  } rows[] = {
      {1,
       {"Daten/", "Daten/Leer/", "Daten/Sub/", "Daten/Sub/b.txt 20240301", "Daten/a.txt 20240301"}},
      {2,
       {"Daten/", "Daten/Leer/", "Daten/Sub/", "Daten/Sub/b.txt 20240302", "Daten/a.txt 20240301",
        "Daten/c.txt 20240302"}},
      // a.txt had been deleted by then.
      {3,
       {"Daten/", "Daten/Leer/", "Daten/Sub/", "Daten/Sub/b.txt 20240302",
        "Daten/Sub/d.txt 20240303", "Daten/c.txt 20240302"}},
  };
  for (const auto& row : rows) {
    const NightTree tree =
        ReadNight(nights.fs, nights.crypto, Nights::Archive(row.night), std::nullopt);
    EXPECT_EQ(Flat(tree.roots), row.tree) << row.night;
  }
  const NightTree third = ReadNight(nights.fs, nights.crypto, Nights::Archive(3), std::nullopt);
  EXPECT_EQ(third.files, 3u);
  EXPECT_EQ(third.bytes, 6u);
}

TEST(NightTree, ABrokenChainNamesItsMissingLink) {
  ThreeNights nights;
  nights.fs.Delete(Nights::Archive(2));
  try {
    ReadNight(nights.fs, nights.crypto, Nights::Archive(3), std::nullopt);
    ADD_FAILURE();
  } catch (const dszip::RunError& error) {
    EXPECT_NE(std::string(error.what()).find("20240302-0.zip"), std::string::npos) << error.what();
  }
}

TEST(NightTree, AnEncryptedNightNeedsTheRightPassword) {
  ThreeNights nights("-hpGeh\u00e4im");  // its key from the Windows-1252 bytes
  const struct {
    std::optional<std::string> password;
    NightAccess access;
    size_t files;
  } rows[] = {
      {std::nullopt, NightAccess::PasswordNeeded, 0},
      {"Falsch", NightAccess::PasswordWrong, 0},
      {"Geheim", NightAccess::PasswordWrong, 0},
      {"Geh\u00e4im", NightAccess::Read, 3},
  };
  for (const auto& row : rows) {
    const NightTree tree = ReadNight(nights.fs, nights.crypto, Nights::Archive(3), row.password);
    EXPECT_EQ(tree.access, row.access) << row.password.value_or("-");
    EXPECT_EQ(tree.files, row.files) << row.password.value_or("-");
  }
}

TEST(NightTree, TheFilterKeepsMatchesAndTheFoldersToThem) {
  ThreeNights nights;
  const NightTree tree = ReadNight(nights.fs, nights.crypto, Nights::Archive(3), std::nullopt);
  const struct {
    const char* text;
    Lines kept;
  } rows[] = {
      {"B.TX", {"Daten/", "Daten/Sub/", "Daten/Sub/b.txt 20240302"}},
      {"sub", {"Daten/", "Daten/Sub/", "Daten/Sub/b.txt 20240302", "Daten/Sub/d.txt 20240303"}},
      {"leer", {"Daten/", "Daten/Leer/"}},
      {"nirgends", {}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Flat(Filtered(tree.roots, row.text)), row.kept) << row.text;
  EXPECT_EQ(Flat(Filtered(tree.roots, "")).size(), 6u);
}

}  // namespace
}  // namespace restore_window
