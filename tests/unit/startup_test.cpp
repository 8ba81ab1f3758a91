#include <gtest/gtest.h>

#include <functional>

#include "core/texts.h"
#include "unit/form_fixture.h"

namespace {

using StartupTest = FormTest;

TEST_F(StartupTest, VersionGateEndsTheToolWithoutTouchingTheFile) {
  struct Case {
    std::optional<std::string> ini;  // none: no settings file
    bool passes;
  };
  const Case cases[] = {{std::nullopt, false},
                        {"[Programm]\r\nVersion=2\r\n", false},
                        {"[Programm]\r\nVersion=3a\r\n", false},
                        {"[programm]\r\nversion = 0x3\r\n", true},
                        {"[Programm]\r\nVersion=4\r\n", true}};
  for (const auto& c : cases) {
    FreshStart run(c.ini);
    EXPECT_EQ(run.platform.haltCalls, c.passes ? 0 : 1) << c.ini.value_or("no file");
    if (!c.passes) {
      ASSERT_EQ(run.platform.messages.size(), 1u);
      EXPECT_EQ(run.platform.messages[0],
                "Inidatei passt nicht zur Programmversion (3). Programm wird beendet.");
      EXPECT_EQ(run.folder.Read("Datensicherung.ini"), c.ini.value_or(""));
      EXPECT_EQ(std::filesystem::exists(run.folder.File("Datensicherung.ini")), c.ini.has_value());
    }
  }
}

TEST_F(StartupTest, SettingsIntoControlsAndFields) {
  Settings(
      std::string(kBasic) +
      "[Programm]\r\n" /* a second section of that name is never read */ "Komprimierung=5\r\n");
  Create();
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_FALSE(form.changepath.Visible);
  EXPECT_FALSE(form.StopProg.Visible);
  EXPECT_TRUE(form.StopProg.Checked);
  EXPECT_EQ(form.Endung, "zip");
  EXPECT_EQ(form.Komprimierung.ItemIndex, 1);
  EXPECT_EQ(form.Ziel.Items, (std::vector<std::string>{"Anwendungen", "Dokumente"}));
  EXPECT_EQ(form.Ziel.ItemIndex, 0);
  EXPECT_EQ(form.Zielpfad, "E:\\Archiv\\");
  EXPECT_EQ(form.StatusBar1.Panel1, "E:\\Archiv\\");
  EXPECT_EQ(form.Befehl, "a");
  EXPECT_FALSE(form.AutoStart);
  EXPECT_EQ(form.Zeitpunkt.ItemIndex, TFMain::kSofort);
  EXPECT_FALSE(form.Tag.Enabled);
  EXPECT_EQ(WholeDays(form.Datum.Value), today);
  EXPECT_EQ(WholeDays(form.Tag.Value), today);
  EXPECT_EQ(TimeText(form.Uhrzeit.Value), "09:30:00");
}

TEST_F(StartupTest, FlagsExtensionAndCompressionLevel) {
  Settings(
      "[Programm]\r\nVersion=3\r\nchangedir=1\r\nStopprog=-1\r\nStopprogchecked=no\r\n"
      "ArchivEndung=RAR\r\nKomprimierung=6\r\n");
  Create();
  EXPECT_TRUE(form.changepath.Visible);
  EXPECT_TRUE(form.StopProg.Visible);
  EXPECT_TRUE(form.StopProg.Checked);  // "no" does not convert: the default holds
  EXPECT_EQ(form.Endung, "rar");
  EXPECT_EQ(form.Komprimierung.ItemIndex, -1);
}

TEST_F(StartupTest, JobListHeightAndWindowHeight) {
  struct Case {
    int jobs, listHeight, windowHeight;
  };
  for (const Case c : {Case{0, 35, 245}, Case{1, 35, 245}, Case{3, 66, 245}, Case{8, 176, 336}}) {
    std::string ini = "[Programm]\r\nVersion=3\r\n[Backup]\r\n";
    for (int n = 0; n < c.jobs; ++n)
      ini += std::to_string(n) + "b=Job " + std::to_string(n) + "\r\n";
    ini += std::to_string(c.jobs + 1) + "b=after a gap\r\n";  // the list ends at the first gap
    FreshStart run(ini);
    const TFMain& window = run.form;
    EXPECT_EQ(static_cast<int>(window.Ziel.Items.size()), c.jobs);
    EXPECT_EQ(window.Ziel.Height, c.listHeight) << c.jobs;
    EXPECT_EQ(window.Height, c.windowHeight) << c.jobs;
    EXPECT_EQ(window.Ziel.ItemIndex, c.jobs > 0 ? 0 : -1);
  }
}

TEST_F(StartupTest, CommandLineSwitches) {
  struct Case {
    std::vector<std::string> arguments;
    std::function<void(const TFMain&)> check;
  };
  const DateTime march5 = today;
  // clang-format off
  const Case cases[] = {
      {{"/dir:1"}, [](const TFMain& f) { EXPECT_EQ(f.Ziel.ItemIndex, 1); }},
      {{"/DIR:9"}, [](const TFMain& f) { EXPECT_EQ(f.Ziel.ItemIndex, 1); }},
      {{"/DIR:-1"}, [](const TFMain& f) { EXPECT_EQ(f.Ziel.ItemIndex, -1); }},
      {{"/DIR:$1"}, [](const TFMain& f) { EXPECT_EQ(f.Ziel.ItemIndex, 1); }},
      {{"/pfad:1"}, [](const TFMain& f) { EXPECT_EQ(f.StatusBar1.Panel1, "G:\\Zweit\\"); }},
      {{"/PFAD:2"}, [](const TFMain& f) { EXPECT_EQ(f.Zielpfad, ""); }},
      {{"/move"}, [](const TFMain& f) { EXPECT_EQ(f.Befehl, "m"); }},
      {{"/MOVE:1"}, [](const TFMain& f) { EXPECT_EQ(f.Befehl, "a"); }},
      {{"/Diff"}, [](const TFMain& f) { EXPECT_EQ(f.Archiv.ItemIndex, 1); }},
      {{"/DIFF:1"}, [](const TFMain& f) { EXPECT_EQ(f.Archiv.ItemIndex, 0); }},
      {{"/go"}, [](const TFMain& f) { EXPECT_TRUE(f.AutoStart); }},
      {{"/GOGO"}, [](const TFMain& f) { EXPECT_FALSE(f.AutoStart); }},
      {{"/nostop"}, [](const TFMain& f) { EXPECT_FALSE(f.StopProg.Checked); }},
      {{"/Warten"}, [](const TFMain& f) { EXPECT_TRUE(f.Warten); }},
      {{"/WARTEN:1"}, [](const TFMain& f) { EXPECT_FALSE(f.Warten); }},
      {{"/DATUM:-7"}, [=](const TFMain& f) { EXPECT_EQ(WholeDays(f.Datum.Value), march5 - 7); }},
      {{"/datum:-1234"}, [=](const TFMain& f) { EXPECT_EQ(WholeDays(f.Datum.Value), march5 - 123); }},
      {{"/datum:g"}, [=](const TFMain& f) { EXPECT_EQ(WholeDays(f.Datum.Value), march5 - 1); }},
      {{"/DATUM:-7", "/DATUM:H"}, [=](const TFMain& f) { EXPECT_EQ(WholeDays(f.Datum.Value), march5); }},
      {{"/DATUM:x", "/DATUM"}, [=](const TFMain& f) { EXPECT_EQ(WholeDays(f.Datum.Value), march5); }},
      // "/DIR:" shortens the argument; the later rules see only the rest.
      {{"/DIR:/GO"}, [](const TFMain&) {}},
      {{"/GO", "/NOSTOP", "/DIR:1", "/PFAD:1"},
       [](const TFMain& f) {
         EXPECT_TRUE(f.AutoStart);
         EXPECT_FALSE(f.StopProg.Checked);
         EXPECT_EQ(f.Ziel.ItemIndex, 1);
         EXPECT_EQ(f.ZielNr, 1);
       }},
  };
  // clang-format on
  for (const auto& c : cases) {
    FreshStart run(kBasic, c.arguments);
    const FakePlatform& fake = run.platform;
    const TFMain& window = run.form;
    SCOPED_TRACE(c.arguments.front());
    c.check(window);
    if (c.arguments.front() == "/DIR:/GO") {
      ASSERT_EQ(fake.errors.size(), 1u);
      EXPECT_EQ(fake.errors[0], "'/GO' ist kein g\xFCltiger Integerwert.");
    } else {
      EXPECT_TRUE(fake.errors.empty()) << (fake.errors.empty() ? "" : fake.errors[0]);
    }
  }
}

TEST_F(StartupTest, AnErrorSkipsTheRestButTheWindowKeepsWhatWasSet) {
  Settings(kBasic);
  Create({"/NOSTOP", "/dir:x", "/GO"});
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_EQ(platform.errors[0], "'X' ist kein g\xFCltiger Integerwert.");
  EXPECT_FALSE(form.StopProg.Checked);  // applied before the bad switch
  EXPECT_FALSE(form.AutoStart);         // after it: never reached
  EXPECT_EQ(form.Zielpfad, "");
  EXPECT_EQ(platform.haltCalls, 0);
}

TEST_F(StartupTest, DeferredStartFromTheSettingsFile) {
  Settings(std::string(kBasic) + "[Startzeit]\r\nTag=morgen\r\nZeit=22:30\r\n");
  Create();
  EXPECT_EQ(form.Zeitpunkt.ItemIndex, TFMain::kSpaeter);
  EXPECT_TRUE(form.Tag.Enabled);
  EXPECT_TRUE(form.Uhrzeit.Enabled);
  EXPECT_EQ(WholeDays(form.Tag.Value), today + 1);
  EXPECT_EQ(TimeText(form.Uhrzeit.Value), "22:30:00");
  EXPECT_EQ(WholeDays(form.Datum.Value), today);
}

TEST_F(StartupTest, UnreadableScheduleStopsStartUpBeforeJobsAndSwitches) {
  struct Case {
    const char* startzeit;
    const char* error;
  };
  const Case cases[] = {
      {"Tag=31.02.2024", "'31.02.2024' ist kein g\xFCltiges Datum."},
      {"Tag=15.8.\r\nZeit=12:00", "'15.8.' ist kein g\xFCltiges Datum."},
      {"Zeit=25:00", "'25:00' ist keine g\xFCltige Uhrzeit."},
  };
  for (const auto& c : cases) {
    FreshStart run(std::string(kBasic) + "[Startzeit]\r\n" + c.startzeit + "\r\n", {"/GO"});
    const FakePlatform& fake = run.platform;
    const TFMain& window = run.form;
    run.form.Dispatch(&TFMain::FormShow);
    ASSERT_EQ(fake.errors.size(), 1u) << c.startzeit;
    EXPECT_EQ(fake.errors[0], c.error);
    EXPECT_TRUE(window.Ziel.Items.empty());
    EXPECT_FALSE(window.AutoStart);
    EXPECT_TRUE(fake.launches.empty());
  }
}

TEST_F(StartupTest, DatedScheduleWithoutYearTakesTheCurrentYear) {
  Settings(std::string(kBasic) + "[Startzeit]\r\nTag=15.8\r\n");
  Create();
  EXPECT_EQ(WholeDays(form.Tag.Value), EncodeDate(2024, 8, 15));
}

TEST_F(StartupTest, ChoosingTheTargetDirectory) {
  struct Case {
    const char* before;
    const char* choice;
    const char* after;
  };
  const Case cases[] = {{"E:\\Archiv\\", "", "E:\\Archiv\\"},
                        {"E:\\Archiv", "", "E:\\Archiv\\"},
                        {"E:\\Archiv\\", "F:\\", "F:\\"},
                        {"E:\\Archiv\\", "F:\\Sicher", "F:\\Sicher\\"},
                        {"", "", ""}};
  for (const auto& c : cases) {
    form.Zielpfad = c.before;
    platform.folderChoice = c.choice;
    form.Dispatch(&TFMain::changepathClick);
    EXPECT_EQ(form.Zielpfad, c.after);
    EXPECT_EQ(form.StatusBar1.Panel1, c.after);
  }
  EXPECT_EQ(platform.folderDialogTitles.back(), "Verzeichniswahl");
}

TEST_F(StartupTest, ErrorBoxTextGetsAFullStopAfterALetterOnly) {
  EXPECT_EQ(ErrorBoxText("Fehler"), "Fehler.");
  EXPECT_EQ(ErrorBoxText("Fehler."), "Fehler.");
  EXPECT_EQ(ErrorBoxText("Fehler!"), "Fehler!");
  EXPECT_EQ(ErrorBoxText("'X'"), "'X'");  // a quote sorts before "."
  EXPECT_EQ(ErrorBoxText("Wert 7"), "Wert 7.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace

namespace {

// Under /WARTEN nobody is watching: every failure of the start is recorded in the central log
// and the event log, and the program ends with its own code instead of waiting in a box.
TEST_F(StartupTest, UnattendedFailuresEndWithTheirCodeAndARecord) {
  const std::string ini = kBasic;
  const std::string utf8 = "[Programm]\r\nVersion=3\r\nZip=a.exe\r\nParam=%s \xE2\x86\x92\r\n";
  const struct {
    std::optional<std::string> ini;
    std::vector<std::string> arguments;
    int exitCode;
    std::string recorded;
    // clang-format off
  } rows[] = {
      {ini, {"/DIR:0", "/DATUM:-x", "/GO", "/WARTEN"}, kCommandLineRefused, "'X' ist kein g\xFCltiger Integerwert."},
      {ini, {"/DIR:0", "/GOO", "/WARTEN"}, kCommandLineRefused, "'/GOO' ist kein g\xFCltiges Argument."},
      {ini, {"/WARTEN", "/DIR0", "/GO"}, kCommandLineRefused, "'/DIR0' ist kein g\xFCltiges Argument."},
      {ini, {"/warten", "GO"}, kCommandLineRefused, "'GO' ist kein g\xFCltiges Argument."},
      {ini + "[Startzeit]\r\nTag=31.02.\r\n", {"/GO", "/WARTEN"}, kSettingsRefused, "'31.02.' ist kein g\xFCltiges Datum."},
      {"[Programm]\r\nVersion=2\r\n", {"/GO", "/WARTEN"}, kSettingsRefused, texts::VersionGate},
      {std::nullopt, {"/GO", "/WARTEN"}, kSettingsRefused, texts::VersionGate},
      {utf8, {"/GO", "/WARTEN"}, kArchiverNotStarted, "Der Eintrag [Programm] Param in "},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.recorded);
    FreshStart run(row.ini, row.arguments);
    if (run.platform.haltCalls == 0) run.form.Dispatch(&TFMain::FormShow);
    const FakePlatform& fake = run.platform;
    EXPECT_TRUE(fake.errors.empty() && fake.messages.empty());
    EXPECT_TRUE(fake.launches.empty());
    EXPECT_EQ(fake.haltCalls, 1);
    EXPECT_EQ(fake.exitCode, row.exitCode);
    ASSERT_EQ(fake.runLog.size(), 1u);
    EXPECT_NE(fake.runLog[0].find(row.recorded), std::string::npos) << fake.runLog[0];
    ASSERT_EQ(fake.events.size(), 1u);
    EXPECT_EQ(fake.events[0].substr(0, 4), std::to_string(row.exitCode) + ": ");
  }

  // The window could not be made: recorded under /WARTEN, shown in a box otherwise.
  for (const bool warten : {true, false}) {
    FakePlatform fake;
    fake.arguments = {"/GO", warten ? "/warten" : "/DIR:0"};
    TFMain unmade(fake);
    unmade.WindowFailed("Das Fenster fehlt");
    EXPECT_EQ(fake.exitCode, warten ? kArchiverNotStarted : 0);
    EXPECT_EQ(fake.runLog.size() + fake.events.size(), warten ? 2u : 0u);
    EXPECT_EQ(fake.errors.size(), warten ? 0u : 1u);
  }

  // Without /WARTEN an argument no rule takes is ignored, as it always was.
  FreshStart watched(ini, {"/DIR:0", "/GOO"});
  EXPECT_TRUE(watched.platform.runLog.empty() && watched.platform.errors.empty());
  EXPECT_EQ(watched.platform.haltCalls, 0);
}

}  // namespace
