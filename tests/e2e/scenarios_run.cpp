// Scenarios of the backup run: what the archiver is started with, the running number in
// [Last], the deferred start and the stored password.
#include <algorithm>

#include "driver.h"

namespace e2e {
namespace {

// ---------------------------------------------------------------- helpers

struct Launch {
  std::string command = "a";
  std::string level = "s";         // Komprimierung 1 ("Schnellste") for zip
  std::string switches = " -ai ";  // Archiv 0 ("ignorieren")
  std::string extension = "zip";
  int number = 0;
  std::string password;
  bool jobTarget = true;  // job 0 has a target of its own; else [Ziel] 0
};

// The parameter text the default template gives for job 0 (or for no job) on a day.
std::string ExpectedLine(const Case& c, const SYSTEMTIME& day, const Launch& launch) {
  std::string folder = launch.jobTarget ? c.Path("out") : c.Path("ziel0");
  std::string archive =
      folder + "\\" + DateStem(day) + "-" + std::to_string(launch.number) + "." + launch.extension;
  std::string source = launch.jobTarget ? "C:\\Quelle\\" + DateStem(day) + "\\*.*" : "-";
  std::string password = launch.password.empty() ? "" : " -hp" + launch.password;
  return launch.command + password + " -m" + launch.level + launch.switches + "\"" + archive +
         "\" \"" + source + "\"";
}

// The recorder's log must hold exactly these lines; a run that crosses midnight may have
// used either day.
void CheckLaunches(const Case& c, const SYSTEMTIME& dayBefore,
                   const std::vector<Launch>& launches) {
  WaitForRecorders(c.Folder());
  SYSTEMTIME dayAfter = Today();
  auto expected = [&](const SYSTEMTIME& day) {
    std::string lines;
    for (const Launch& launch : launches) lines += ExpectedLine(c, day, launch) + "\r\n";
    return lines;
  };
  std::string log = c.RecorderLog();
  Check(log == expected(dayBefore) || log == expected(dayAfter),
        "the archiver was started with:\n" + Show(log) + "expected:\n" + Show(expected(dayBefore)));
}

void CheckLast(const Case& c, const SYSTEMTIME& day, int number) {
  std::string ini = c.Ini(), datum, nr;
  Check(IniValue(ini, "Last", "Datum", datum) &&
            (datum == DateText(day) || datum == DateText(Today())),
        "[Last] Datum is \"" + Show(datum) + "\", expected " + DateText(day));
  Check(IniValue(ini, "Last", "Nr", nr) && nr == std::to_string(number),
        "[Last] Nr is \"" + Show(nr) + "\", expected " + std::to_string(number));
}

std::vector<std::string> WithParam(std::vector<std::string> settings, const std::string& param) {
  for (std::string& line : settings)
    if (line.rfind("Param=", 0) == 0) line = "Param=" + param;
  return settings;
}

// A run started by /GO, with "Programm schließen" ticked: the program ends by itself.
void RunToEnd(const Case& c, const std::string& arguments) {
  auto program = c.Start(arguments);
  ExpectExit(*program, arguments);
}

// ---------------------------------------------------------------- runs at once

void GoOnce(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SYSTEMTIME day = Today();
  RunToEnd(c, "/GO");
  CheckLaunches(c, day, {Launch{}});
  CheckLast(c, day, 0);
}

void GoTwice(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SYSTEMTIME day = Today();
  RunToEnd(c, "/GO");
  CreateDirectoryA(c.Path("out").c_str(), nullptr);
  WriteBytes(c.Path("out\\" + DateStem(day) + "-0.zip"), "archive");
  RunToEnd(c, "/go");
  Launch second;
  second.number = 1;
  CheckLaunches(c, day, {Launch{}, second});
  CheckLast(c, day, 1);
}

// Names already taken by files are skipped; a folder of that name does not count.
void GoExistingFiles(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SYSTEMTIME day = Today();
  CreateDirectoryA(c.Path("out").c_str(), nullptr);
  std::string stem = c.Path("out\\" + DateStem(day));
  WriteBytes(stem + "-0.zip", "archive");
  WriteBytes(stem + "-1.zip", "archive");
  CreateDirectoryA((stem + "-2.zip").c_str(), nullptr);
  RunToEnd(c, "/GO");
  Launch launch;
  launch.number = 2;
  CheckLaunches(c, day, {launch});
  CheckLast(c, day, 2);
}

void GoNoStop(const std::string& name) {
  SYSTEMTIME day = Today();
  auto [c, program, window] = Open(name, BasicSettings, "/GO /NOSTOP");
  if (!window) return;
  Check(WaitUntil([&] { return PathExists(c.Path("recorder.log")); }), "the archiver is launched");
  Check(Settle(window) && program->Running() && IsWindowVisible(window.Handle()),
        "the window stays open after the launch");
  EndWithEsc(*program, window);
  CheckLaunches(c, day, {Launch{}});
}

// /WARTEN: the window answers while the archiver runs, and the program ends with the
// archiver's exit code once it has ended.
void GoWait(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  WriteBytes(c.Path("recorder.hold"), "9");
  auto program = c.Start("/GO /WARTEN");
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  Check(WaitUntil([&] { return PathExists(c.Path("recorder.log")); }), "the archiver is launched");
  Check(Settle(window) && program->Running(), "the window answers while the archiver runs");
  DeleteFileA(c.Path("recorder.hold").c_str());
  if (Check(program->WaitForExit(), "the program ends after the archiver"))
    CheckInt(program->ExitCode(), 9, "exit code");
}

void GoMoveDiffRar(const std::string& name) {
  Case c(name);
  c.WriteIni(With(BasicSettings(c), "Programm", {"ArchivEndung=RAR", "Komprimierung=5"}));
  SYSTEMTIME day = Today();
  RunToEnd(c, "/GO /MOVE /DIFF");
  Launch launch;
  launch.command = "m";
  launch.level = "5";
  launch.switches = " -ac -ao ";
  launch.extension = "rar";
  CheckLaunches(c, day, {launch});
}

// No job selected: the source is "-" and the archive goes to the current target directory.
void GoNoJob(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SYSTEMTIME day = Today();
  RunToEnd(c, "/DIR:-1 /GO");
  Launch launch;
  launch.jobTarget = false;
  CheckLaunches(c, day, {launch});
}

void GoBadTemplate(const std::string& name) {
  Case c(name);
  c.WriteIni(WithParam(BasicSettings(c), "%s -m%d"));
  SYSTEMTIME day = Today();
  auto program = c.Start("/GO");
  AnswerMessageBox(program->Id(), "Format '%d' ung\xFCltig oder nicht kompatibel mit Argument.",
                   true, "template with %d");
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  NothingLaunched(c, window);
  CheckLast(c, day, 0);
  EndWithEsc(*program, window);
}

void GoReadOnly(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SetFileAttributesA(c.IniPath().c_str(), FILE_ATTRIBUTE_READONLY);
  std::string before = c.Ini();
  auto program = c.Start("/GO");
  AnswerMessageBox(program->Id(), "In " + c.IniPath() + " kann nicht geschrieben werden.", true,
                   "read-only settings file");
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  NothingLaunched(c, window);
  Check(c.Ini() == before, "the settings file is unchanged");
  EndWithEsc(*program, window);
}

void EnterStarts(const std::string& name) {
  SYSTEMTIME day = Today();
  auto [c, program, window] = Open(name, BasicSettings);
  if (!window) return;
  PressKey(window.Handle(), VK_RETURN);
  ExpectExit(*program, "Enter");
  CheckLaunches(c, day, {Launch{}});
}

// "Später" and back to "Sofort" by clicks; "Starten" then runs at once.
void ScheduleToggle(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SYSTEMTIME day = Today();
  auto program = c.Start();
  MainWindow window = WaitForMainWindow(*program);
  HWND uhrzeit = window ? window[ID_Uhrzeit] : nullptr;
  HWND tag = window ? window[ID_Tag] : nullptr;
  if (!Check(uhrzeit && tag && window[ID_sofort] && window[ID_spaeter],
             "pickers and choices found"))
    return;
  auto pickersEnabled = [&](bool enabled) {
    return WaitUntil([&] {
      return (IsWindowEnabled(uhrzeit) != 0) == enabled && (IsWindowEnabled(tag) != 0) == enabled;
    });
  };
  Click(window[ID_spaeter]);
  Check(pickersEnabled(true), "spaeter enables Uhrzeit and Tag");
  Click(window[ID_sofort]);
  Check(pickersEnabled(false), "Sofort disables Uhrzeit and Tag");
  Click(window[ID_Start]);
  ExpectExit(*program, "Starten");
  CheckLaunches(c, day, {Launch{}});
}

// ---------------------------------------------------------------- deferred start

void DeferredArmed(const std::string& name) {
  auto [c, program, window] = Open(name, [](const Case& folder) {
    return With(AllShown(folder), "Startzeit", {"Tag=Morgen", "Zeit=07:05:09"});
  });
  if (!window) return;
  Click(window[ID_Start]);
  std::wstring armed =
      FromAnsi("Backup wird um 07:05:09 an " + DateText(AddDays(Today(), 1)) + " gestartet...");
  WaitUntil([&] { return window.Caption() == armed; });
  CheckText(window.Caption(), armed, "armed caption");
  const std::pair<int, const char*> frozen[] = {
      {ID_Start, "Start"},     {ID_Datum, "Datum"}, {ID_Komprimierung, "Komprimierung"},
      {ID_Uhrzeit, "Uhrzeit"}, {ID_Tag, "Tag"},     {ID_Ziel, "Ziel"},
      {ID_Zeitbox, "Zeitbox"}};
  for (auto [id, control] : frozen)
    Check(window[id] && !IsWindowEnabled(window[id]), std::string(control) + " disabled");
  const std::pair<int, const char*> usable[] = {
      {ID_Ende, "Ende"},           {ID_Archiv, "Archiv"}, {ID_Passwort, "Passwort"},
      {ID_Passwort2, "Passwort2"}, {ID_pwsave, "pwsave"}, {ID_StopProg, "StopProg"}};
  for (auto [id, control] : usable)
    Check(window[id] && IsWindowEnabled(window[id]), std::string(control) + " still enabled");
  Check(window[ID_changepath] && !OwnVisible(window[ID_changepath]), "Verzeichnis hidden");
  NothingLaunched(c, window);
  EndWithEsc(*program, window);
}

// The run starts once the chosen moment has passed, and then the program ends even though
// "Programm schließen" is not ticked.
void DeferredRun(const std::string& name) {
  Case c(name);
  SYSTEMTIME day = Today();
  SYSTEMTIME due = AddSeconds(LocalNow(), 5);
  due.wMilliseconds = 0;
  std::vector<std::string> settings =
      With(BasicSettings(c), "Programm", {"Stopprog=1", "Stopprogchecked=0"});
  c.WriteIni(With(settings, "Startzeit", {"Tag=" + DateText(due), "Zeit=" + TimeText(due)}));
  auto program = c.Start();
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  Click(window[ID_Start]);
  // On a slow machine the moment may have passed already, and the program be gone.
  std::wstring armed =
      FromAnsi("Backup wird um " + TimeText(due) + " an " + DateText(due) + " gestartet...");
  std::wstring caption;
  WaitUntil([&] {
    return (caption = window.Caption()) == armed || PathExists(c.Path("recorder.log")) ||
           !program->Running();
  });
  if (IsWindow(window.Handle()) && !PathExists(c.Path("recorder.log")))
    CheckText(caption, armed, "armed caption");
  SYSTEMTIME seen{};
  bool launched = WaitUntil(
      [&] {
        seen = LocalNow();
        return PathExists(c.Path("recorder.log"));
      },
      kDeadline + 5000);
  if (Check(launched, "the archiver is launched"))
    Check(!Earlier(seen, due), "the archiver was launched at " + ShowDate(seen) +
                                   ", before the chosen moment " + ShowDate(due));
  ExpectExit(*program, "deferred run");
  CheckLaunches(c, day, {Launch{}});
}

// ---------------------------------------------------------------- stored password

void CheckStoredPassword(const std::string& stored, const std::string& password) {
  size_t n = password.size();
  if (!CheckInt(static_cast<long long>(stored.size()), static_cast<long long>(43 + 4 + n + 4 + 43),
                "length of [Security] 1"))
    return;
  Check(stored.substr(43, 4) == "qkvo" && stored.substr(47 + n, 4) == "ovkq",
        "markers around the password in \"" + Show(stored) + "\"");
  std::string scrambled = password;
  for (char& byte : scrambled) byte = static_cast<char>(byte ^ 0x19);
  Check(stored.substr(47, n) == scrambled, "the password is stored scrambled");
  std::string filler = stored.substr(0, 43) + stored.substr(51 + n);
  Check(std::all_of(filler.begin(), filler.end(), [](char ch) { return ch >= 0x60 && ch <= 0x79; }),
        "filler made of ` and a to y: \"" + Show(filler) + "\"");
}

void PasswordSave(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  const std::string password = "Gr\xFCn-42";
  {
    auto program = c.Start();
    MainWindow window = WaitForMainWindow(*program);
    HWND first = window ? window[ID_Passwort] : nullptr;
    HWND second = window ? window[ID_Passwort2] : nullptr;
    HWND save = window ? window[ID_pwsave] : nullptr;
    if (!Check(first && second && save, "password fields and pwsave found")) return;
    TypeText(first, FromAnsi(password));
    Check(WaitUntil([&] { return !IsWindowEnabled(save); }),
          "pwsave disabled while only Passwort holds the password");
    TypeText(second, FromAnsi(password));
    Check(WaitUntil([&] { return IsWindowEnabled(save) != 0; }), "pwsave enabled when both agree");
    Click(save);
    std::string stored;
    if (Check(WaitUntil([&] { return IniValue(c.Ini(), "security", "1", stored); }),
              "the password is stored")) {
      CheckStoredPassword(stored, password);
      Check(c.Ini().find("[Security]\r\n1=") != std::string::npos,
            "stored under [Security] as the key 1");
    }
    EndWithEsc(*program, window);
  }
  // The next start restores it and hands it to the archiver.
  SYSTEMTIME day = Today();
  RunToEnd(c, "/GO");
  Launch launch;
  launch.password = password;
  CheckLaunches(c, day, {launch});
}

void PasswordMismatch(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  std::string before = c.Ini();
  auto program = c.Start();
  MainWindow window = WaitForMainWindow(*program);
  HWND save = window ? window[ID_pwsave] : nullptr;
  if (!Check(save && window[ID_Passwort] && window[ID_Passwort2],
             "password fields and pwsave found"))
    return;
  TypeText(window[ID_Passwort], L"eins");
  TypeText(window[ID_Passwort2], L"zwei");
  Check(WaitUntil([&] { return !IsWindowEnabled(save); }),
        "pwsave disabled while the fields differ");
  // The button is greyed, so report the click to its parent as the button itself would.
  PostMessageW(GetParent(save), WM_COMMAND, MAKEWPARAM(ID_pwsave, BN_CLICKED),
               reinterpret_cast<LPARAM>(save));
  AnswerMessageBox(program->Id(), "Kennw\xF6rter sind nicht identisch!", false, "mismatch");
  Check(c.Ini() == before, "the settings file is unchanged");
  EndWithEsc(*program, window);
}

}  // namespace

const std::vector<Scenario> kRunScenarios = {
    {"go_once", GoOnce},
    {"go_twice", GoTwice},
    {"go_existing_files", GoExistingFiles},
    {"go_nostop", GoNoStop},
    {"go_wait", GoWait},
    {"go_move_diff_rar", GoMoveDiffRar},
    {"go_no_job", GoNoJob},
    {"go_bad_template", GoBadTemplate},
    {"go_readonly", GoReadOnly},
    {"enter_starts", EnterStarts},
    {"schedule_toggle", ScheduleToggle},
    {"deferred_armed", DeferredArmed},
    {"deferred_run", DeferredRun},
    {"password_save", PasswordSave},
    {"password_mismatch", PasswordMismatch},
};

}  // namespace e2e
