// The restore window's handlers on a fake platform: where it opens, the password asked once,
// and the confirmation before restoring to the original place.
#include <gtest/gtest.h>

#include "engine/outcome.h"
#include "fakes/temp_folder.h"
#include "nights.h"
#include "restore_window/restore_form.h"

namespace restore_window {
namespace {

struct FakeRestorePlatform : RestorePlatform, Nights {
  TempFolder program;
  std::vector<std::string> arguments;
  std::optional<std::string> typed;  // answers every password prompt
  int asked = 0;
  std::vector<std::string> confirmed;
  bool answer = true;

  dszip::FileSystem& Files() override { return fs; }
  zip::Crypto& Crypto() override { return crypto; }
  std::string ExePath() override { return program.File("Wiederherstellen.exe"); }
  std::vector<std::string> Arguments() override { return arguments; }
  std::string CentralLogFolder() override { return "C:\\Log\\"; }
  bool BrowseForFolder(std::string&) override { return false; }
  bool Confirm(const std::string& text) override {
    confirmed.push_back(text);
    return answer;
  }
  void ShowError(const std::string& text) override { ADD_FAILURE() << text; }
  std::optional<std::string> AskPassword(const std::string&) override {
    ++asked;
    return typed;
  }
};

constexpr const char* kSettings =
    "[Ziel]\r\n0=E:\\Leer\\\r\n1=E:\\Archiv\r\n[Backup]\r\n0b=Daten\r\n0=C:\\Daten\r\n"
    "0p=e:\\archiv\\\r\n1b=Post\r\n1p=E:\\Post\\\r\n";

struct RestoreFormTest : ::testing::Test {
  FakeRestorePlatform platform;
  RestoreForm form{platform};
  void SetUp() override {
    platform.program.Write("Datensicherung.ini", kSettings);
    platform.fs.AddFolder("E:\\Leer");
    platform.fs.AddFile("C:\\Daten\\a.txt", "a1");
  }
  void Nights(const std::string& extra = "") {
    ASSERT_EQ(platform.Night(1, extra), dszip::kExitOk) << platform.console.lines;
    platform.fs.AddFile("C:\\Daten\\b.txt", "b2");
    ASSERT_EQ(platform.Night(2, extra), dszip::kExitOk) << platform.console.lines;
  }
};

TEST_F(RestoreFormTest, OpensOnTheFirstFolderWithArchives) {
  Nights();
  platform.fs.AddFile("C:\\Log\\dszip.log", platform.sink.log);
  form.FormCreate();
  EXPECT_EQ(form.Folders, (std::vector<std::string>{"E:\\Leer\\", "E:\\Archiv\\", "E:\\Post\\"}));
  EXPECT_EQ(form.FolderIndex, 1);
  ASSERT_EQ(form.Nights.size(), 3u);  // the set's heading, then its nights, newest first
  EXPECT_TRUE(form.Nights[0].heading);
  EXPECT_EQ(form.Nights[1].name, "20240302-0.zip");
  EXPECT_EQ(form.NightIndex, -1);
  EXPECT_EQ(form.History.size(), 2u);
}

TEST_F(RestoreFormTest, AnArchiveOnTheCommandLineIsChosen) {
  Nights();
  platform.arguments = {"e:\\archiv\\20240301-0.zip"};
  form.FormCreate();
  EXPECT_EQ(form.Folders.at(static_cast<size_t>(form.FolderIndex)), "E:\\Archiv\\");
  EXPECT_EQ(form.ChosenArchive(), "E:\\Archiv\\20240301-0.zip");
  ASSERT_EQ(form.Shown.size(), 1u);
  EXPECT_EQ(form.Shown[0].children.size(), 1u);  // a.txt alone that night
}

TEST_F(RestoreFormTest, APasswordIsAskedOnceAndKeptForTheRestore) {
  Nights("-hpGeheim");
  platform.arguments = {"E:\\Archiv\""};  // as "E:\Archiv\" reaches a program
  form.FormCreate();
  platform.typed = "Geheim";
  form.NightIndex = 1;
  form.NightChange();
  EXPECT_EQ(platform.asked, 1);
  EXPECT_EQ(form.Password(), "Geheim");
  form.Filter = "b.t";
  form.FilterChange();
  ASSERT_EQ(form.Shown.size(), 1u);
  EXPECT_EQ(form.Shown[0].children.size(), 1u);
  form.NightChange();  // the same night chosen again
  EXPECT_EQ(platform.asked, 1);
}

TEST_F(RestoreFormTest, TheOriginalPlaceIsConfirmedWithTheFilesThere) {
  Nights();
  form.FormCreate();
  form.NightIndex = 1;
  form.NightChange();
  form.Original = true;
  platform.answer = false;
  EXPECT_FALSE(form.PrepareRestore({}));
  ASSERT_EQ(platform.confirmed.size(), 1u);
  EXPECT_NE(platform.confirmed[0].find("2 dort vorhandene Dateien bleiben erhalten"),
            std::string::npos)
      << platform.confirmed[0];
  form.Original = false;
  form.TargetFolder = "F:\\Neu";
  const auto order = form.PrepareRestore({"Daten/b.txt"});
  ASSERT_TRUE(order);
  EXPECT_EQ(order->runs.at(0).target, "F:\\Neu\\");
  EXPECT_EQ(platform.confirmed.size(), 1u);  // a new folder needs no confirmation
}

}  // namespace
}  // namespace restore_window
