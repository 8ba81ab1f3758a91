#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/utf8.h"
#include "fakes/error_of.h"
#include "fakes/temp_folder.h"
#include "settings/file_store.h"
#include "window_logic/password_store.h"

namespace {

namespace fs = std::filesystem;

const char* const kFile =
    "[Programm]\r\nVersion=0x3\r\nBad=3a\r\nStopprogchecked=2\r\nStopprog=no\r\nchangedir=0\r\n"
    "Hex=$FFFFFFFF\r\nBig=2147483648\r\nBlank=\r\n\r\n[SECURITY]\r\n1=AB12\r\n\r\n"
    "[Last]\r\nDatum=kein Datum\r\nZeit=05.03.2024 13:45:10\r\nTag=05.03.2024\r\nKurz=5.3.24\r\n"
    "Leer=\r\n";

// The folder's entries, apart from the lock files, which stay by design.
std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() != ".lock") names.insert(entry.path().filename().string());
  return names;
}

class Settings : public testing::Test {
 protected:
  void SetUp() override { folder.Write("ds.ini", kFile); }
  std::string Path() const { return folder.File("ds.ini"); }
  TempFolder folder;
};

TEST_F(Settings, ReadsTheEncodings) {
  TSettingsFile ini(Path(), 2024);
  EXPECT_EQ(ini.GetInteger("Programm", "Version", 0), 3);
  EXPECT_EQ(ini.GetInteger("Programm", "Bad", 0), 0);
  EXPECT_EQ(ini.GetInteger("Programm", "Hex", 0), -1);
  EXPECT_EQ(ini.GetInteger("Programm", "Big", 7), 7);
  EXPECT_EQ(ini.GetInteger("Programm", "Blank", 7), 7);
  EXPECT_EQ(ini.GetInteger("Programm", "Komprimierung", 1), 1);
  EXPECT_TRUE(ini.GetFlag("Programm", "Stopprogchecked", false));
  EXPECT_TRUE(ini.GetFlag("Programm", "Stopprog", true));
  EXPECT_FALSE(ini.GetFlag("Programm", "Stopprog", false));
  EXPECT_FALSE(ini.GetFlag("Programm", "changedir", true));
  EXPECT_EQ(ini.GetText("security", "1", ""), "AB12");
  EXPECT_EQ(ini.GetText("Programm", "Blank", "x"), "");
  EXPECT_EQ(ini.GetText("Programm", "Missing", "JMT"), "JMT");
  EXPECT_EQ(ini.GetDateTime("Last", "Datum", 0), 0);
  EXPECT_EQ(ini.GetDateTime("Last", "Leer", 42), 42);
  EXPECT_EQ(ini.GetDateTime("Last", "Tag", 0), EncodeDate(2024, 3, 5));
  EXPECT_EQ(ini.GetDateTime("Last", "Kurz", 0), EncodeDate(2024, 3, 5));
  EXPECT_DOUBLE_EQ(ini.GetDateTime("Last", "Zeit", 0),
                   EncodeDate(2024, 3, 5) + EncodeTime(13, 45, 10, 0));
}

TEST_F(Settings, MissingFileGivesDefaultsAndIsCreatedOnWrite) {
  const std::string path = folder.File("new.ini");
  TSettingsFile ini(path);
  EXPECT_EQ(ini.GetInteger("Programm", "Version", 0), 0);
  ini.PutInteger("Last", "Nr", -5);
  EXPECT_EQ(folder.Read("new.ini"), "[Last]\r\nNr=-5\r\n");
}

TEST_F(Settings, WritesDatesWithTimeOnlyWhenNotMidnight) {
  TSettingsFile ini(Path());
  ini.PutDateTime("Last", "Datum", EncodeDate(2024, 3, 5));
  ini.PutDateTime("Last", "Zeit", EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0));
  ini.PutText("Security", "1", "CD34");
  const std::string file = folder.Read("ds.ini");
  EXPECT_NE(file.find("\r\nDatum=05.03.2024\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\r\nZeit=05.03.2024 07:08:09\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("[SECURITY]\r\n1=CD34\r\n"), std::string::npos) << file;
}

TEST_F(Settings, ParsesOnceAndSeesItsOwnWrites) {
  TSettingsFile ini(Path());
  EXPECT_EQ(ini.GetText("security", "1", ""), "AB12");
  folder.Write("ds.ini", "[security]\r\n1=changed behind its back\r\n");
  EXPECT_EQ(ini.GetText("security", "1", ""), "AB12");
  ini.PutInteger("Last", "Nr", 4);
  EXPECT_EQ(ini.GetInteger("Last", "Nr", 0), 4);
  EXPECT_EQ(TSettingsFile(Path()).GetInteger("Last", "Nr", 0), 4);
  // The write went into the file as it was then: what changed meanwhile is kept.
  EXPECT_EQ(ini.GetText("security", "1", ""), "changed behind its back");
}

TEST_F(Settings, FileThatVanishedSinceTheReadIsNotWrittenAnew) {
  TSettingsFile ini(Path());
  EXPECT_EQ(ini.GetText("security", "1", ""), "AB12");
  fs::remove(Path());
  EXPECT_EQ(ErrorOf([&] {
              ini.PutTexts({{"Last", "Datum", "05.03.2024"}, {"Last", "Nr", "1"}});
            }),
            "In " + Path() + " kann nicht geschrieben werden");
  EXPECT_FALSE(fs::exists(Path()));
}

TEST_F(Settings, SameValueTouchesNothing) {
  fs::permissions(Path(), fs::perms::owner_write, fs::perm_options::remove);
  TSettingsFile ini(Path());
  ini.PutInteger("Programm", "Stopprogchecked", 2);  // read-only, but nothing to write
  EXPECT_EQ(folder.Read("ds.ini"), kFile);
}

TEST_F(Settings, RefusedWritesLeaveFileAndObjectAsTheyWere) {
  const std::string missingFolder = folder.File("gone") + "/ds.ini";
  const std::string folderInstead = folder.File("dir.ini");
  fs::create_directory(folderInstead);
  fs::permissions(Path(), fs::perms::owner_write, fs::perm_options::remove);
  const auto before = Entries(folder.Path());

  for (const std::string& path : {Path(), missingFolder, folderInstead}) {
    TSettingsFile ini(path);
    EXPECT_EQ(ErrorOf([&] { ini.PutText("Last", "Nr", "9"); }),
              "In " + path + " kann nicht geschrieben werden");
    EXPECT_EQ(ini.GetText("Last", "Nr", "none"), "none") << path;
  }
  EXPECT_EQ(folder.Read("ds.ini"), kFile);
  EXPECT_EQ(Entries(folder.Path()), before);  // no temporary file left behind

  // The refused change must not ride along with the next write.
  TSettingsFile ini(Path());
  EXPECT_THROW(ini.PutText("Last", "Nr", "9"), EError);
  fs::permissions(Path(), fs::perms::owner_write, fs::perm_options::add);
  ini.PutText("Last", "Datum", "06.03.2024");
  EXPECT_EQ(TSettingsFile(Path()).GetText("Last", "Nr", "none"), "none");
}

TEST_F(Settings, UnstorableValueIsRefused) {
  TSettingsFile ini(Path());
  EXPECT_EQ(ErrorOf([&] { ini.PutText("Backup", "0", "a\r\n[Programm]"); }),
            "In " + Path() + " kann nicht geschrieben werden");
  EXPECT_EQ(folder.Read("ds.ini"), kFile);
}

TEST_F(Settings, ReplacementKeepsModeAndLeavesNoTemporaryFile) {
  fs::permissions(Path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  TSettingsFile(Path()).PutText("Last", "Nr", "1");
  EXPECT_EQ(fs::status(Path()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Entries(folder.Path()), std::set<std::string>{"ds.ini"});
}

// The platform rewrites a writable file in place even where its folder takes no new file.
// Root may create files in any folder, so the case is run as an ordinary user when we are root.
TEST_F(Settings, WritableFileInLockedFolderIsWrittenInPlace) {
  fs::permissions(Path(), fs::perms::all);
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  const auto write = [&] {
    try {
      TSettingsFile(Path()).PutText("Last", "Nr", "7");
      return 0;
    } catch (const EError&) {
      return 1;
    }
  };
  int result = -1;
  if (geteuid() != 0) {
    result = write();
  } else {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(setuid(65534) == 0 ? write() : 2);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(TSettingsFile(Path()).GetText("Last", "Nr", ""), "7");
  EXPECT_EQ(Entries(folder.Path()), std::set<std::string>{"ds.ini"});
}

TEST_F(Settings, ReadOutcomes) {
  EXPECT_EQ(ReadWholeFile(folder.File("missing.ini")).outcome, FileRead::Outcome::Missing);
  EXPECT_EQ(ReadWholeFile(folder.File("missing/x.ini")).outcome, FileRead::Outcome::Missing);
  EXPECT_EQ(ReadWholeFile(folder.Path().string()).outcome, FileRead::Outcome::Missing);
  EXPECT_EQ(ReadWholeFile(Path()).bytes, std::string(kFile));
}

// UTF-16 files read as the platform's ANSI functions read them, and are written back in
// their own encoding, characters Windows-1252 lacks included; one that would not come back as
// it was (an unpaired surrogate) is never rewritten.
TEST_F(Settings, Utf16FilesKeepTheirEncoding) {
  const auto utf16 = [](const std::string& bom, std::u16string text, bool big) {
    std::string bytes = bom;
    for (const char16_t unit : text) {
      const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes += big ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  struct Case {
    std::string bom;
    bool big;
    std::u16string before, after;  // after: empty when the write is refused
    const char* read;
  };
  // clang-format off
  const Case cases[] = {
      {"\xFF\xFE", false, u"; Sp\u00e4ter\r\n[Last]\r\nNr=3\r\n", u"; Sp\u00e4ter\r\n[Last]\r\nNr=4\r\n", "3"},
      {"\xFE\xFF", true, u"[Last]\r\nNr=\u20ac3\r\n", u"[Last]\r\nNr=4\r\n", "\x80" "3"},
      {"\xFF\xFE", false, u"; \u03a9\r\n[Last]\r\nNr=\u043f\r\n", u"; \u03a9\r\n[Last]\r\nNr=4\r\n", "?"},
      {"\xFF\xFE", false, u"[Last]\r\nNr=\U0001F600\r\n", u"[Last]\r\nNr=4\r\n", "??"},
      {"\xFF\xFE", false, u"; \xD800\r\n[Last]\r\nNr=5\r\n", u"", "5"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const std::string before = utf16(c.bom, c.before, c.big);
    folder.Write("ds.ini", before);
    TSettingsFile ini(Path());
    EXPECT_EQ(ini.GetText("Last", "Nr", ""), c.read);
    const std::string error = ErrorOf([&] { ini.PutText("Last", "Nr", "4"); });
    EXPECT_EQ(folder.Read("ds.ini"), c.after.empty() ? before : utf16(c.bom, c.after, c.big));
    EXPECT_EQ(error,
              c.after.empty() ? "In " + Path() + " kann nicht geschrieben werden" : "(no error)");
  }
}

// Files as editors save them: the stored password and the captions come back exactly, a write
// keeps encoding and mark, and a value the archiver gets is refused rather than altered.
TEST_F(Settings, EditorEncodingsReadAndWriteBack) {
  const std::string password =
      "Gr\xFC\xDF"
      "e\x80"
      "1";  // u-umlaut, sharp s, euro sign
  const auto stored = ComposeStoredPassword(password, [](int) { return 5; });
  ASSERT_TRUE(stored);
  const auto text = [&](const char* nr) {
    return "[Backup]\r\n0b=\xDC"
           "bersicht B\xFC"
           "ro\r\n[security]\r\n1=" +
           *stored + "\r\n[Last]\r\nNr=" + nr + "\r\n";
  };
  const auto utf16 = [](const std::string& cp1252) {
    return Utf16LeFromUtf8(Utf8FromCp1252(cp1252));
  };
  const std::function<std::string(const std::string&)> encodings[] = {
      [](const std::string& t) { return t; },
      [](const std::string& t) { return Utf8FromCp1252(t); },
      [](const std::string& t) { return "\xEF\xBB\xBF" + Utf8FromCp1252(t); },
      [&](const std::string& t) { return "\xFF\xFE" + utf16(t); },
  };
  for (const auto& encoded : encodings) {
    folder.Write("ds.ini", encoded(text("3")));
    TSettingsFile ini(Path());
    EXPECT_EQ(ini.GetText("Backup", "0b", ""),
              "\xDC"
              "bersicht B\xFC"
              "ro");
    EXPECT_EQ(RestoredPassword(ini.GetExactText("security", "1", "").value_or("")), password);
    ini.PutInteger("Last", "Nr", 4);
    EXPECT_EQ(folder.Read("ds.ini"), encoded(text("4")));
  }

  // One invalid sequence, and the file is Windows-1252 as a whole.
  folder.Write("ds.ini", "; Sp\xE4ter\r\n" + Utf8FromCp1252(text("3")));
  EXPECT_EQ(TSettingsFile(Path()).GetText("Backup", "0b", ""),
            "\xC3\x9C"
            "bersicht B\xC3\xBC"
            "ro");

  folder.Write("ds.ini", "[Programm]\r\nParam=a \xE2\x86\x92 b\r\n");
  TSettingsFile ini(Path());
  EXPECT_EQ(ini.GetText("Programm", "Param", ""), "a ? b");
  EXPECT_EQ(ErrorOf([&] { ini.GetExactTextOrRaise("Programm", "Param", ""); }),
            "Der Eintrag [Programm] Param in " + Path() +
                " enth\xE4lt Zeichen au\xDF"
                "erhalb des Windows-Zeichensatzes (Windows-1252) und "
                "wird nicht verwendet");
}

// Windows-1252 bytes that would read as UTF-8 after a write make the file UTF-16.
TEST_F(Settings, AnsiFileThatWouldReadAsUtf8BecomesUtf16) {
  folder.Write("ds.ini", "[security]\r\n1=x\r\n");
  TSettingsFile(Path()).PutText("security", "1", "\xC6\x99");  // sharp s and euro sign, scrambled
  EXPECT_EQ(folder.Read("ds.ini"),
            "\xFF\xFE" + Utf16LeFromUtf8("[security]\r\n1=\xC3\x86\xE2\x84\xA2\r\n"));
  EXPECT_EQ(TSettingsFile(Path()).GetText("security", "1", ""), "\xC6\x99");
}

TEST_F(Settings, InterlockKeepsOtherRunsOutForABoundedWait) {
  auto held = LockSettingsFile(Path());
  EXPECT_EQ(ErrorOf([&] { LockSettingsFile(Path(), std::chrono::milliseconds(50)); }),
            Path() +
                " ist durch einen anderen Lauf der Datensicherung belegt. Bitte sp\xE4ter "
                "erneut versuchen");
  held.reset();
  EXPECT_NE(LockSettingsFile(Path(), std::chrono::milliseconds(50)), nullptr);
}

TEST_F(Settings, LinksStayLinks) {
  // A symbolic link: the file it points to is replaced, the link stays.
  fs::create_directory(folder.File("shared"));
  const std::string shared = folder.File("shared") + "/real.ini";
  fs::rename(Path(), shared);
  fs::create_symlink(shared, Path());
  TSettingsFile(Path()).PutText("Last", "Nr", "5");
  EXPECT_TRUE(fs::is_symlink(Path()));
  EXPECT_EQ(TSettingsFile(shared).GetText("Last", "Nr", ""), "5");
  // A hard link: both names still name one file.
  fs::remove(Path());
  fs::create_hard_link(shared, Path());
  TSettingsFile(Path()).PutText("Last", "Nr", "6");
  EXPECT_EQ(fs::hard_link_count(Path()), 2u);
  EXPECT_EQ(TSettingsFile(shared).GetText("Last", "Nr", ""), "6");
}

TEST_F(Settings, WriteRemovesOnlyTheTemporaryFilesOfGoneWriters) {
  const pid_t gone = fork();
  ASSERT_GE(gone, 0);
  if (gone == 0) _exit(0);
  ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
  const std::string dead = "ds.ini." + std::to_string(gone) + "-0.tmp";
  const std::string alive = "ds.ini." + std::to_string(getppid()) + "-3.tmp";
  const std::set<std::string> others = {"ds.ini", "ds.ini.x-0.tmp", "other.ini.1-0.tmp",
                                        "ds.ini." + std::to_string(gone) + "-0.tmp.bak"};
  for (const std::string& name : others) folder.Write(name, "x");
  folder.Write(dead, "x");
  folder.Write(alive, "x");
  TSettingsFile(Path()).PutText("Last", "Nr", "1");
  auto expected = others;
  expected.insert(alive);
  EXPECT_EQ(Entries(folder.Path()), expected);
}

}  // namespace
