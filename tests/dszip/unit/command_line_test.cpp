// The command lines the tool's template produces, and every refusal.
#include <gtest/gtest.h>

#include <cstring>

#include "dszip/command_line.h"
#include "engine/mask.h"

namespace dszip {
namespace {

struct Accepted {
  std::vector<std::string> arguments;
  bool move;
  int level;
  bool onlyArchived, clearArchive, recurse;
  std::optional<std::string> password;
  std::vector<std::string> sources;
};

TEST(CommandLine, Accepted) {
  // clang-format off
  const Accepted rows[] = {
      {{"a", "-hpGeheim", "-ms", "-ai", "E:\\Archiv\\20240305-0.zip", "C:\\Daten\\*.*"},
       false, 1, false, false, true, "Geheim", {"C:\\Daten\\*.*"}},
      {{"m", "-mx", "-ac", "-ao", "E:\\A.zip", "C:\\Daten\""}, true, 9, true, true, true, {}, {"C:\\Daten\\"}},
      {{"a", "-hpmit \"Leer\" zeichen", "-m0", "-r-", "E:\\A.ZIP", "C:\\x.txt", "D:\\Texte\\*.txt"},
       false, 0, false, false, false, "mit \"Leer\" zeichen", {"C:\\x.txt", "D:\\Texte\\*.txt"}},
      {{"A", "-MF", "-r", "E:\\A.zip", "C:\\D"}, false, 3, false, false, true, {}, {"C:\\D"}},
      {{"a", "-mn", "E:\\A.zip", "C:\\D"}, false, 6, false, false, true, {}, {"C:\\D"}},
      {{"a", "-m2", "E:\\A.zip", "C:\\D"}, false, 3, false, false, true, {}, {"C:\\D"}},
      {{"a", "-m4", "E:\\A.zip", "C:\\D"}, false, 8, false, false, true, {}, {"C:\\D"}},
      {{"a", "-m5", "E:\\A.zip", "C:\\D"}, false, 9, false, false, true, {}, {"C:\\D"}},
      {{"a", "E:\\A.zip", "C:\\D", "-ac"}, false, 6, false, true, true, {}, {"C:\\D"}},
      {{"a", "-hp~ !", "E:\\A.zip", "-"}, false, 6, false, false, true, "~ !", {"-"}},
      // Windows-1252 bytes for the key, as Datensicherung holds the password; a tab passes.
      {{"a", "-hpGeh\xC3\xA4im \xE2\x82\xAC\t", "E:\\A.zip", "C:\\D"}, false, 6, false, false, true,
       "Geh\xE4im \x80\t", {"C:\\D"}},
      {{"a", "-hp" + std::string(99, 'x'), "E:\\A.zip", "C:\\D"}, false, 6, false, false, true,
       std::string(99, 'x'), {"C:\\D"}},
      {{"a", "\\\\?\\E:\\A.zip", "C:\\D"}, false, 6, false, false, true, {}, {"C:\\D"}},  // long-path form
  };
  // clang-format on
  for (const Accepted& row : rows) {
    SCOPED_TRACE(row.arguments[1]);
    const Options options = ParseCommandLine(row.arguments);
    EXPECT_EQ(options.move, row.move);
    EXPECT_EQ(options.level, row.level);
    EXPECT_EQ(options.onlyArchived, row.onlyArchived);
    EXPECT_EQ(options.clearArchive, row.clearArchive);
    EXPECT_EQ(options.recurse, row.recurse);
    EXPECT_EQ(options.password, row.password);
    EXPECT_EQ(options.sources, row.sources);
  }
}

TEST(CommandLine, Refused) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"x", "E:\\A.zip", "C:\\D"},
      {"a", "-q", "E:\\A.zip", "C:\\D"},
      {"a", "-mq", "E:\\A.zip", "C:\\D"},
      {"a", "-mxE:\\A.zip", "C:\\D"},  // a template without attribute switches glues them
      {"a", "-hp", "E:\\A.zip", "C:\\D"},
      {"a", "-hp\xD0\x96uk", "E:\\A.zip", "C:\\D"},  // outside Windows-1252
      {"a", "-hp" + std::string(100, 'x'), "E:\\A.zip", "C:\\D"},
      {"a", "-ai", "-ao", "E:\\A.zip", "C:\\D"},
      {"a", "-ai", "-ac", "E:\\A.zip", "C:\\D"},
      {"a", "E:\\A.rar", "C:\\D"},
      {"a", "E:\\A.7z", "C:\\D"},
      {"a", "E:\\A.zip"},
      {"a", "-ai"},
      {"a", "E:\\*.zip", "C:\\D"},
      {"a", "E:\\A.zip", "C:\\Da*\\x"},
      {"a", "E:\\A.zip", "C:\\Da\"ten\\x"},
  };
  for (const auto& row : rows) {
    try {
      ParseCommandLine(row);
      ADD_FAILURE() << "accepted: " << (row.size() > 1 ? row[1] : "");
    } catch (const RunError& error) {
      EXPECT_EQ(error.ExitCode(), kExitUsage);
      EXPECT_NE(std::string(error.what()).find("Aufruf: dszip"), std::string::npos);
    }
  }
}

TEST(Mask, Matches) {
  const struct {
    const char* name;
    const char* mask;
    bool matches;
  } rows[] = {
      {"a.txt", "*.*", true},
      {"README", "*.*", true},
      {"a.txt", "*.TXT", true},
      {"a.txt.bak", "*.txt", false},
      {"Größe.txt", "gröSSe.txt", false},
      {"Größe.txt", "GRÖSSE.TXT", false},
      {"Größe.txt", "GRÖßE.TXT", true},
      {"Bericht", "Bericht.*", true},
      {"Bericht.doc", "Bericht.*", true},
      {"ab", "a?", true},
      {"aä", "a?", true},
      {"a", "a?", false},
      {"abcabd", "*abd", true},
      {"x", "", false},
      {"", "*", true},
  };
  for (const auto& row : rows)
    EXPECT_EQ(MatchesMask(row.name, row.mask), row.matches) << row.name << " " << row.mask;
}

// Masks after the target of x, e, t, l: as sources of a, -r the default.
TEST(Mask, SelectsStoredPaths) {
  const struct {
    const char* path;
    const char* mask;
    bool recurse, selected;
    // clang-format off
  } rows[] = {
      {"Daten/x.doc", "Daten\\*.doc", false, true},      {"Daten/Sub/x.doc", "Daten\\*.doc", true, true},
      {"Daten/Sub/x.doc", "Daten\\*.doc", false, false}, {"Datenbank/x.doc", "Daten\\*.doc", true, false},
      {"Alt/Daten/x.doc", "Daten\\*.doc", true, false},  {"Daten/Sub/x.doc", "Daten*x.doc", true, false},
      {"a/b/x.doc", "*.doc", true, true},                  {"a/x.doc", "*.doc", false, false},
      {"x.doc", "*.doc", false, true},                     {"a/b/Bericht.doc", "bericht.doc", true, true},
      {"D1/x.doc", "*/*.doc", false, true},                {"Daten/Sub/c.txt", "Daten", true, true},
      {"Daten/Sub/c.txt", "Daten/Sub/", true, true},       {"Daten/Sub/c.txt", "Daten", false, false},
      {"Daten/a.txt", "Daten", false, true},               {"Daten/Leer/", "Daten", true, true},
      {"Daten/", "Daten", false, true},                    {"Daten/Leer/", "Daten", false, false},
      {"Daten/Leer/", "*", true, true},                    {"Daten/Leer/", "*.doc", true, false},
      {"Daten/Leer/", "*", false, false},                  {"Daten.doc/a.txt", "*.doc", true, false},
      {"./Daten/x.doc", ".\\Daten\\*.doc", false, true},
  };
  // clang-format on
  for (const auto& row : rows)
    EXPECT_EQ(
        SelectsStoredPath(row.path, row.path[strlen(row.path) - 1] == '/', row.mask, row.recurse),
        row.selected)
        << row.path << " " << row.mask << " " << row.recurse;
}

}  // namespace
}  // namespace dszip
