// Which files go in under which names.
#include <gtest/gtest.h>

#include "dszip/selection.h"
#include "fake_file_system.h"

namespace dszip {
namespace {

TEST(Selection, StoredNames) {
  FakeFileSystem fs;
  fs.AddFolder("C:\\Daten");
  fs.AddFile("C:\\Daten\\a.txt", "a");
  fs.AddFile("C:\\Daten\\b.doc", "b", 0);  // archive attribute not set
  fs.AddFolder("C:\\Daten\\Sub");
  fs.AddFile("C:\\Daten\\Sub\\c.txt", "c");
  fs.AddFolder("C:\\Daten\\Leer");
  fs.AddFolder("C:\\Daten\\Link", kAttrFolder | kAttrReparsePoint);
  fs.AddFile("C:\\Daten\\Link\\loop.txt", "x");
  fs.AddFile("C:\\Daten\\out.zip", "old archive");
  fs.AddFile("C:\\Daten\\out.zip.1a2b.dszip-tmp", "a killed run's");
  fs.AddFolder("C:\\");
  fs.AddFile("C:\\root.txt", "r");
  fs.AddAlias("C:\\Verweis", "C:\\Daten\\Sub");  // a linked folder: one folder, two names

  const struct {
    std::vector<std::string> sources;
    bool recurse, onlyArchived;
    std::vector<std::string> names;
    // clang-format off
  } rows[] = {
      {{"C:\\Daten\\*.*"}, true, false, {"a.txt", "b.doc", "Leer/", "Sub/c.txt"}},
      {{"C:\\Daten\\*.txt"}, true, false, {"a.txt", "Sub/c.txt"}},
      {{"C:\\Daten\\*.*"}, false, false, {"a.txt", "b.doc"}},
      {{"C:\\Daten\\*.*"}, true, true, {"a.txt", "Leer/", "Sub/c.txt"}},  // empty folders always
      {{"C:\\Daten"}, true, false, {"Daten/a.txt", "Daten/b.doc", "Daten/Leer/", "Daten/Sub/c.txt"}},
      {{"C:\\Daten\\Sub\\"}, true, false, {"Sub/c.txt"}},
      {{"C:\\Daten\\Sub\\c.txt", "C:\\Daten\\a.txt"}, true, false, {"c.txt", "a.txt"}},
      {{"C:\\Daten\\Sub\\c.txt", "C:\\Daten\\Sub\\C.TXT"}, true, false, {"c.txt"}},
      {{"C:\\*.txt"}, false, false, {"root.txt"}},
      {{"C:\\Fehlt\\*.*", "C:\\fehlt.txt"}, true, false, {}},
      {{"C:\\Daten", "C:\\Verweis"}, true, false, {"Daten/a.txt", "Daten/b.doc", "Daten/Leer/", "Daten/Sub/c.txt"}},
      {{"C:\\Verweis\\*.*", "C:\\Daten\\Sub\\*.*"}, true, false, {"c.txt"}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.sources[0]);
    Options options;
    options.sources = row.sources;
    options.recurse = row.recurse;
    options.onlyArchived = row.onlyArchived;
    const Selection selection = SelectSources(fs, options, "C:\\Daten\\out.zip");
    std::vector<std::string> names;
    for (const Item& item : selection.items) names.push_back(item.storedName);
    EXPECT_EQ(names, row.names);
  }
}

}  // namespace
}  // namespace dszip
