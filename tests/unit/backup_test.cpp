#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

#include "core/cp1252.h"
#include "core/texts.h"
#include "unit/form_fixture.h"

namespace {

using BackupTest = FormTest;

TEST_F(BackupTest, TypicalUnattendedRun) {
  Settings(kBasic);
  Create({"/GO"});
  form.Dispatch(&TFMain::FormShow);
  ASSERT_EQ(platform.launches.size(), 1u);
  EXPECT_EQ(platform.launches[0].program, "C:\\Tools\\archiver.exe");
  EXPECT_EQ(platform.launches[0].parameters,
            "a -ms -ai \"E:\\Archiv\\20240305-0.zip\" \"C:\\Programme\\*.*\"");
  EXPECT_EQ(platform.terminateCalls, 1);
  const std::string ini = Ini();
  EXPECT_NE(ini.find("[Last]\r\nDatum=05.03.2024\r\nNr=0\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.substr(0, std::string(kBasic).size()), kBasic);  // the rest kept byte for byte
}

TEST_F(BackupTest, RunningNumberAcrossRunsFilesAndDays) {
  Settings(kBasic);
  Create({"/NOSTOP"});
  Start();
  EXPECT_NE(LastParameters().find("20240305-0.zip"), std::string::npos);
  // Same day again: the number counts on even though the first archive is gone.
  Start();
  EXPECT_NE(LastParameters().find("20240305-1.zip"), std::string::npos);
  // Names that exist are skipped.
  platform.existingFiles = {"E:\\Archiv\\20240305-2.zip", "E:\\Archiv\\20240305-3.zip"};
  Start();
  EXPECT_NE(LastParameters().find("20240305-4.zip"), std::string::npos);
  EXPECT_NE(Ini().find("Nr=4"), std::string::npos);
  // Another reference date starts again at 0, or at the first free number.
  form.Datum.Value = EncodeDate(2024, 3, 4) + 0.5;
  platform.existingFiles = {"E:\\Archiv\\20240304-0.zip"};
  Start();
  EXPECT_NE(LastParameters().find("20240304-1.zip"), std::string::npos);
  EXPECT_NE(Ini().find("Datum=04.03.2024\r\n"), std::string::npos);  // no time part
  EXPECT_EQ(platform.terminateCalls, 0);
}

TEST_F(BackupTest, UnreadableLastDateStartsAtZero) {
  Settings(std::string(kBasic) + "[Last]\r\nDatum=kein Datum\r\nNr=7\r\n");
  Create({"/NOSTOP"});
  Start();
  EXPECT_NE(LastParameters().find("20240305-0.zip"), std::string::npos);
}

TEST_F(BackupTest, NoJobSelectedReadsKeysMinusOne) {
  Settings(std::string(kBasic) + "[Backup]\r\n-1=never read\r\n");
  Create({"/DIR:-1", "/NOSTOP"});
  Start();
  EXPECT_EQ(LastParameters(), "a -ms -ai \"E:\\Archiv\\20240305-0.zip\" \"-\"");
}

TEST_F(BackupTest, JobTargetOverridesTheChosenDirectory) {
  Settings(kBasic);
  Create({"/DIR:1", "/NOSTOP"});
  platform.folderChoice = "H:\\Neu";
  form.Dispatch(&TFMain::changepathClick);
  Start();
  EXPECT_NE(LastParameters().find("\"F:\\Doku\\20240305-0.zip\""), std::string::npos);
  form.Ziel.ItemIndex = 0;  // job 0 has no target of its own
  Start();
  EXPECT_NE(LastParameters().find("\"H:\\Neu\\20240305-1.zip\""), std::string::npos);
}

TEST_F(BackupTest, TemplateErrorLaunchesNothingButHasAdvancedTheNumber) {
  Settings("[Programm]\r\nVersion=3\r\nZip=z.exe\r\nParam=%s %d\r\n[Ziel]\r\n0=E:\\A\\\r\n");
  Create({"/GO"});
  form.Dispatch(&TFMain::FormShow);
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0], "Format '%d' ung\xFCltig oder nicht kompatibel mit Argument.");
  EXPECT_TRUE(platform.launches.empty());
  EXPECT_EQ(platform.terminateCalls, 0);
  EXPECT_NE(Ini().find("[Last]\r\nDatum=05.03.2024\r\nNr=0\r\n"), std::string::npos);
}

TEST_F(BackupTest, EmptyProgramLaunchesNothingYetRecordsAndEnds) {
  Settings("[Programm]\r\nVersion=3\r\nParam=%s\r\n");
  Create();
  Start();
  EXPECT_TRUE(platform.launches.empty());
  EXPECT_EQ(platform.terminateCalls, 1);
  EXPECT_NE(Ini().find("Nr=0"), std::string::npos);
}

TEST_F(BackupTest, UnwritableSettingsStopTheRunBeforeTheLaunch) {
  Settings(kBasic);
  Create();
  ASSERT_EQ(chmod(folder.File("Datensicherung.ini").c_str(), 0444), 0);
  Start();
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0],
            "In " + folder.File("Datensicherung.ini") + " kann nicht geschrieben werden.");
  EXPECT_TRUE(platform.launches.empty());
  EXPECT_EQ(platform.terminateCalls, 0);
  EXPECT_EQ(Ini(), kBasic);
}

// Up to the longest command line the system passes whole; beyond it nothing is launched
// rather than a cut line that names another archive. Sixteen copies of a 2000-character
// source make a parameter text of 32002 characters.
TEST_F(BackupTest, LongProgramAndParameterTextsArePassedWholeOrNotAtAll) {
  std::string param = "%s ";
  for (int i = 0; i < 16; ++i) param += "%4:s";
  const std::string source(2000, 'q');
  for (const std::size_t programLength :
       {kCommandLineLimit - 32002 - 4, kCommandLineLimit - 32002 - 3}) {
    const std::string program = "C:\\" + std::string(programLength - 9, 'p') + "\\a.exe";
    FreshStart run("[Programm]\r\nVersion=3\r\nZip=" + program + "\r\nParam=" + param +
                   "\r\n[Backup]\r\n0b=Job\r\n0=" + source + "\r\n");
    run.form.Dispatch(&TFMain::StartClick);
    const FakePlatform& fake = run.platform;
    if (programLength + 4 + 32002 <= kCommandLineLimit) {
      ASSERT_EQ(fake.launches.size(), 1u);
      EXPECT_EQ(fake.launches[0].program, program);
      EXPECT_EQ(fake.launches[0].parameters.size(), 32002u);
    } else {
      EXPECT_TRUE(fake.launches.empty());
      EXPECT_EQ(fake.errors,
                std::vector<std::string>{std::string(texts::CommandLineTooLong) + "."});
    }
  }
}

// The window hands over a character Windows-1252 lacks as kUnconvertible.
TEST_F(BackupTest, PasswordWithoutWindows1252FormIsRefusedBeforeAnythingIsRecorded) {
  Settings(kBasic);
  Create({"/NOSTOP"});
  form.Passwort.Text = std::string(1, kUnconvertible) + "mega-" + kUnconvertible;
  Start();
  EXPECT_EQ(platform.errors, std::vector<std::string>{std::string(texts::PasswordNotAnsi) + "."});
  EXPECT_TRUE(platform.launches.empty());
  EXPECT_EQ(Ini(), kBasic);
}

}  // namespace

namespace {

// /WARTEN hands the archiver's exit code on; every handover and failed start is recorded.
TEST_F(BackupTest, WaitingRunsEndWithTheArchiversCode) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    const char* zip;
    IPlatform::LaunchResult launch;
    int exitCode;
    const char* logged;
    // clang-format off
  } rows[] = {
      {"waits", {"/GO", "/WARTEN"}, "C:\\Tools\\archiver.exe", {true, 9, {}}, 9,
       "Auftrag 0 \x84" "Anwendungen\x93, Archiv E:\\Archiv\\20240305-0.zip: \"C:\\Tools\\archiver.exe\" a -hp*** -ms"},
      {"does not wait", {"/GO"}, "C:\\Tools\\archiver.exe", {true, 9, {}}, 0, "Auftrag 0"},
      {"beyond the list", {"/GO", "/WARTEN", "/DIR:7"}, "C:\\Tools\\archiver.exe", {true, 0, {}}, 0,
       "Auftrag 1 \x84" "Dokumente\x93"},
      {"not found", {"/GO", "/WARTEN"}, "C:\\Fehlt.exe", {false, 0, "nicht gefunden"}, kArchiverNotStarted,
       "Das Archivprogramm C:\\Fehlt.exe wurde nicht gestartet: nicht gefunden"},
      {"none named", {"/GO", "/WARTEN"}, "", {true, 0, {}}, kArchiverNotStarted, "Kein Archivprogramm"},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string ini = kBasic;
    ini.replace(ini.find("C:\\Tools\\archiver.exe"), 21, row.zip);
    FreshStart run(ini, row.arguments);
    run.platform.launchResult = row.launch;
    // A click or a tick while the archiver runs starts nothing more.
    run.platform.onLaunch = [&run] {
      if (!run.platform.launches.back().waited) return;
      run.form.Dispatch(&TFMain::StartClick);
      run.form.Dispatch(&TFMain::Timer1Timer);
    };
    run.form.Passwort.Text = "Geh eim";
    run.form.Dispatch(&TFMain::FormShow);
    EXPECT_EQ(run.platform.exitCode, row.exitCode);
    EXPECT_LE(run.platform.launches.size(), 1u);
    std::string log;
    for (const std::string& record : run.platform.runLog) log += record;
    EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    EXPECT_EQ(log.find("Geh eim"), std::string::npos) << log;
    EXPECT_EQ(run.platform.terminateCalls, 1);
  }
}

}  // namespace
