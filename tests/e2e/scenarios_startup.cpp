// Scenarios of start-up: the version gate, the window's layout, the job list, the switches,
// the schedule preset, quitting, and settings files that are broken or odd.
#include "driver.h"  // windows.h first: commctrl.h builds on it

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace e2e {
namespace {

constexpr const char* kVersionGate =
    "Inidatei passt nicht zur Programmversion (3). Programm wird beendet.";
// Windows-1252; "\xDF" "en" keeps the escape from running into the hex digit "e".
constexpr const char* kStopProgCaption =
    "Programm schlie\xDF"
    "en";

// ---------------------------------------------------------------- helpers

bool Before(HWND first, HWND second) {
  for (HWND next = GetWindow(first, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT))
    if (next == second) return true;
  return false;
}

SIZE ClientSize(const MainWindow& window) {
  RECT client{};
  GetClientRect(window.Handle(), &client);
  return {client.right, client.bottom};
}

void CheckPlace(HWND control, const RECT& expected, const std::string& name) {
  RECT place = PlaceInParent(control);
  Check(EqualRect(&place, &expected) != 0,
        name + " at " + ShowRect(place) + ", expected " + ShowRect(expected));
}

bool IsTimeText(const std::wstring& text) {
  if (text.size() != 8 || text[2] != L':' || text[5] != L':') return false;
  for (size_t i : {0, 1, 3, 4, 6, 7})
    if (!iswdigit(text[i])) return false;
  return true;
}

void CheckPickerDate(HWND picker, const SYSTEMTIME& expected, const std::string& name) {
  SYSTEMTIME value{};
  if (Check(PickerTime(picker, value), name + " holds a valid date"))
    Check(SameDate(value, expected),
          name + " holds " + ShowDate(value) + ", expected the date " + DateText(expected));
  CheckText(WindowText(picker), FromAnsi(DateText(expected)), name + " shows");
}

void CheckCentred(HWND window, const std::string& what) {
  RECT rect{};
  GetWindowRect(window, &rect);
  int left = (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2;
  Check(std::abs(rect.left - left) <= 1 && std::abs(rect.top - top) <= 1,
        what + " centred on the screen: at " + std::to_string(rect.left) + ", " +
            std::to_string(rect.top) + ", expected " + std::to_string(left) + ", " +
            std::to_string(top));
}

// Ziel, the window's height and everything docked below them follow the number of jobs.
void CheckJobArea(const MainWindow& window, const std::vector<std::wstring>& captions) {
  int jobs = static_cast<int>(captions.size());
  int zielHeight = std::max(22 * jobs, 35);
  CheckInt(window.OuterHeight(), std::max(zielHeight + 160, 245), "outer height of the window");
  SIZE client = ClientSize(window);
  CheckInt(client.cx, 412, "client width of the window");
  if (HWND bar = window[ID_StatusBar1])
    CheckPlace(bar, {0, client.cy - 19, client.cx, 19}, "StatusBar1");
  if (HWND panel = window[ID_Panel1]) CheckPlace(panel, {0, 0, 316, client.cy - 19}, "Panel1");
  HWND ziel = window[ID_Ziel];
  if (!Check(ziel != nullptr, "Ziel found")) return;
  CheckPlace(ziel, {0, 115, 116, zielHeight}, "Ziel");
  std::vector<HWND> items = window.Jobs();
  CheckInt(static_cast<long long>(items.size()), jobs, "number of jobs in Ziel");
  for (size_t i = 0; i < items.size() && i < captions.size(); ++i) {
    std::string name = "job " + std::to_string(i);
    CheckText(WindowText(items[i]), captions[i], name + " caption");
    RECT place = PlaceInParent(items[i]);
    Check(OwnVisible(items[i]) && place.left >= 0 && place.top >= 0 &&
              place.left + place.right <= 116 && place.top + place.bottom <= zielHeight,
          name + " visible inside Ziel, at " + ShowRect(place));
  }
  CheckInt(window.SelectedJob(), jobs ? 0 : -1, "selected job");
}

// Version gate: the plain notice, no window ever, exit code 0, nothing written.
void ExpectVersionGate(const Case& c, const std::string& arguments = "") {
  std::vector<std::string> filesBefore = ListFolder(c.Folder());
  std::string iniBefore = c.Ini();
  auto program = c.Start(arguments);
  bool windowShown = false;
  auto watchWindow = [&] {
    windowShown = windowShown || TopWindow(program->Id(), DS_MAIN_CLASS) != nullptr;
  };
  HWND box = nullptr;
  WaitUntil([&] {
    watchWindow();
    return (box = TopWindow(program->Id(), L"#32770")) != nullptr || !program->Running();
  });
  if (box) CheckCentred(box, "version message");
  AnswerMessageBox(program->Id(), kVersionGate, false, "version gate");
  WaitUntil([&] {
    watchWindow();
    return !program->Running();
  });
  Check(!windowShown, "no main window is shown");
  ExpectExit(*program, "after the version message");
  Check(ListFolder(c.Folder()) == filesBefore, "no file is created or removed");
  Check(c.Ini() == iniBefore, "the settings file is unchanged");
}

// The window opens; Esc ends the program and the settings file is as it was.
void ExpectWindowAndUnchanged(const Case& c, const std::vector<std::wstring>& captions,
                              DWORD timeoutMs = kDeadline) {
  std::string iniBefore = c.Ini();
  auto program = c.Start();
  MainWindow window = WaitForMainWindow(*program, timeoutMs);
  if (window) {
    std::vector<HWND> items = window.Jobs();
    CheckInt(static_cast<long long>(items.size()), static_cast<long long>(captions.size()),
             "number of jobs");
    for (size_t i = 0; i < items.size() && i < captions.size(); ++i)
      CheckText(WindowText(items[i]), captions[i], "job " + std::to_string(i) + " caption");
  }
  EndWithEsc(*program, window);
  Check(c.Ini() == iniBefore, "the settings file is unchanged");
}

std::vector<std::string> WithJobs(int count) {
  std::vector<std::string> lines = {"[Programm]", "Version=3", "[Backup]"};
  for (int n = 0; n < count; ++n) lines.push_back(std::to_string(n) + "b=Job " + std::to_string(n));
  return lines;
}

std::vector<std::wstring> JobCaptions(int count) {
  std::vector<std::wstring> captions;
  for (int n = 0; n < count; ++n) captions.push_back(L"Job " + std::to_wstring(n));
  return captions;
}

// ---------------------------------------------------------------- version gate

void VersionMissing(const std::string& name) { ExpectVersionGate(Case(name), "/GO"); }

void VersionTwo(const std::string& name) {
  Case c(name);
  c.WriteIni({"[Programm]", "Version=2", "[Backup]", "0b=Job 0"});
  ExpectVersionGate(c);
}

void VersionThreeA(const std::string& name) {
  Case c(name);
  c.WriteIni({"[Programm]", "Version=3a", "[Backup]", "0b=Job 0"});
  ExpectVersionGate(c);
}

void VersionHex(const std::string& name) {
  Case c(name);
  c.WriteIni({"[programm]", "version = 0x3", "[Backup]", "0b=Job 0"});
  ExpectWindowAndUnchanged(c, {L"Job 0"});
}

// ---------------------------------------------------------------- layout

struct Placed {
  const char* name;
  int id;
  RECT place;           // left, top, width, height in the parent's client area
  const char* caption;  // Windows-1252; null: not checked here
};

// Controls whose place does not depend on the window's size or the number of jobs.
const Placed kLayout[] = {
    {"Start", ID_Start, {330, 10, 75, 25}, "Starten"},
    {"Ende", ID_Ende, {330, 40, 75, 25}, "Abbruch"},
    {"changepath", ID_changepath, {330, 75, 75, 25}, "Verzeichnis"},
    {"Panel2", ID_Panel2, {0, 0, 316, 46}, nullptr},
    {"GroupBox1", ID_GroupBox1, {0, 0, 105, 41}, "Datum"},
    {"Datum", ID_Datum, {5, 15, 96, 21}, nullptr},
    {"kompbox", ID_kompbox, {106, 0, 105, 41}, "Komprimierung"},
    {"Komprimierung", ID_Komprimierung, {5, 15, 96, 21}, nullptr},
    {"GroupBox2", ID_GroupBox2, {211, 0, 105, 41}, "Archiv-Bit"},
    {"Archiv", ID_Archiv, {5, 15, 96, 21}, nullptr},
    {"GroupBox3", ID_GroupBox3, {0, 46, 316, 65}, "Passwort"},
    {"pwsave", ID_pwsave, {270, 40, 23, 22}, "Kennwort speichern"},  // not drawn
    {"Passwort", ID_Passwort, {5, 15, 256, 22}, ""},
    {"Passwort2", ID_Passwort2, {5, 40, 256, 22}, ""},
    {"Ziel", ID_Ziel, {0, 115, 116, 66}, "Sichern von"},
    {"Zeitbox", ID_Zeitbox, {120, 115, 176, 61}, "Start-Zeit"},
    {"sofort", ID_sofort, {10, 15, 60, 17}, "Sofort"},
    {"spaeter", ID_spaeter, {85, 15, 60, 17}, "Sp\xE4ter"},
    {"Uhrzeit", ID_Uhrzeit, {90, 35, 81, 21}, nullptr},
    {"Tag", ID_Tag, {10, 35, 81, 21}, nullptr},
    {"StopProg", ID_StopProg, {125, 177, 161, 24}, kStopProgCaption},
};

// Tab order within each parent, as the z-order of the siblings.
const std::vector<int> kTabOrders[] = {
    {ID_Start, ID_Ende, ID_changepath, ID_Panel1},
    {ID_Panel2, ID_GroupBox3, ID_Ziel, ID_Zeitbox, ID_StopProg},
    {ID_GroupBox1, ID_kompbox, ID_GroupBox2},
    {ID_Passwort, ID_Passwort2},
    {ID_sofort, ID_spaeter, ID_Uhrzeit, ID_Tag},
};

struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<IdSearch*>(data);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

// For a better failure line when a control sits under the wrong parent.
HWND FindAnywhere(HWND root, int id) {
  IdSearch search{id, nullptr};
  EnumChildWindows(root, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CheckLayoutTable(const MainWindow& window) {
  for (const Placed& control : kLayout) {
    HWND handle = window[control.id];
    if (!handle) {
      HWND elsewhere = FindAnywhere(window.Handle(), control.id);
      Check(false, std::string(control.name) + " (id " + std::to_string(control.id) +
                       ") not found in its parent" +
                       (elsewhere ? ", but under parent id " +
                                        std::to_string(GetDlgCtrlID(GetParent(elsewhere)))
                                  : ""));
      continue;
    }
    CheckPlace(handle, control.place, control.name);
    if (control.caption)
      CheckText(WindowText(handle), FromAnsi(control.caption),
                std::string(control.name) + " caption");
  }
  for (const std::vector<int>& order : kTabOrders)
    for (size_t i = 1; i < order.size(); ++i) {
      HWND first = window[order[i - 1]], second = window[order[i]];
      if (first && second)
        Check(Before(first, second), "tab order: id " + std::to_string(order[i - 1]) +
                                         " before id " + std::to_string(order[i]));
    }
}

void CheckInitialState(const Case& c, const MainWindow& window) {
  auto control = [&](int id) {
    HWND handle = window[id];
    Check(handle != nullptr, "control id " + std::to_string(id) + " found");
    return handle;
  };
  SYSTEMTIME today = Today();
  if (HWND start = control(ID_Start))
    Check((StyleOf(start) & BS_TYPEMASK) == BS_DEFPUSHBUTTON, "Starten is the default button");
  if (HWND changepath = control(ID_changepath))
    Check(OwnVisible(changepath), "Verzeichnis shown (changedir=1)");
  if (HWND datum = control(ID_Datum)) CheckPickerDate(datum, today, "Datum");
  const std::vector<std::wstring> levels = {L"Speichern", L"Schnellste", L"Schnell",
                                            L"Normal",    L"Gut",        L"Beste"};
  if (HWND komprimierung = control(ID_Komprimierung)) {
    Check(ComboItems(komprimierung) == levels, "Komprimierung items");
    CheckInt(ComboSelection(komprimierung), 1, "Komprimierung selection (default 1)");
    Check((StyleOf(komprimierung) & 3) == CBS_DROPDOWNLIST, "Komprimierung is a drop-down list");
  }
  if (HWND archiv = control(ID_Archiv)) {
    Check(ComboItems(archiv) == std::vector<std::wstring>{L"ignorieren", L"Archiv gesetzt"},
          "Archiv items");
    CheckInt(ComboSelection(archiv), 0, "Archiv selection");
    Check((StyleOf(archiv) & 3) == CBS_DROPDOWNLIST, "Archiv is a drop-down list");
  }
  if (HWND pwsave = control(ID_pwsave)) Check(IsWindowEnabled(pwsave) != 0, "pwsave enabled");
  for (int id : {ID_Passwort, ID_Passwort2})
    if (HWND edit = control(id)) {
      CheckText(WindowText(edit), L"", "password field empty");
      CheckInt(Send(edit, EM_GETPASSWORDCHAR), 0x2022, "password field masked with U+2022");
    }
  if (HWND sofort = control(ID_sofort)) Check(Checked(sofort), "Sofort selected");
  if (HWND spaeter = control(ID_spaeter)) Check(!Checked(spaeter), "spaeter not selected");
  if (HWND uhrzeit = control(ID_Uhrzeit)) {
    Check(!IsWindowEnabled(uhrzeit), "Uhrzeit disabled");
    std::wstring shown = WindowText(uhrzeit);
    Check(IsTimeText(shown), "Uhrzeit shows hh:mm:ss: \"" + Utf8(shown) + "\"");
  }
  if (HWND tag = control(ID_Tag)) {
    Check(!IsWindowEnabled(tag), "Tag disabled");
    CheckPickerDate(tag, today, "Tag");
  }
  if (HWND stop = control(ID_StopProg)) {
    Check(OwnVisible(stop), "StopProg shown (Stopprog=1)");
    Check(Checked(stop), "StopProg ticked");
  }
  if (HWND bar = control(ID_StatusBar1)) {
    std::vector<int> parts = StatusParts(bar);
    Check(parts.size() == 2 && parts[0] == 115 && (parts[1] == -1 || parts[1] >= 412),
          "status bar: panel 0 ends at 115, panel 1 fills the rest");
    CheckText(StatusText(bar, 1), FromAnsi(c.Path("ziel0") + "\\"), "status panel 1");
  }
  HWND main = window.Handle();
  CheckText(window.Caption(), L"Backup auf CD-RW starten", "window caption");
  Check(HasStyle(main, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
        "caption, system menu, minimise box");
  Check(!HasStyle(main, WS_MAXIMIZEBOX) && !HasStyle(main, WS_THICKFRAME),
        "no maximise box, fixed border");
  CheckCentred(main, "window");
}

void Layout(const std::string& name) {
  auto [c, program, window] = Open(name, AllShown);
  if (!window) return;
  CheckLayoutTable(window);
  CheckJobArea(window, {FromAnsi("B\xFCro"), L"Privat", L"System"});
  CheckInitialState(c, window);
  EndWithEsc(*program, window);
}

// ---------------------------------------------------------------- job list

std::function<void(const std::string&)> JobList(int jobs) {
  return [=](const std::string& name) {
    auto [c, program, window] = Open(name, [=](const Case&) { return WithJobs(jobs); });
    if (!window) return;
    CheckJobArea(window, JobCaptions(jobs));
    CheckCentred(window.Handle(), "window");
    if (HWND changepath = window[ID_changepath])
      Check(!OwnVisible(changepath), "Verzeichnis hidden by default");
    if (HWND stop = window[ID_StopProg]) {
      Check(!OwnVisible(stop), "StopProg hidden by default");
      Check(Checked(stop), "StopProg ticked by default");
    }
    EndWithEsc(*program, window);
  };
}

// ---------------------------------------------------------------- switches

std::wstring StatusPanel1(const MainWindow& window) {
  HWND bar = window[ID_StatusBar1];
  return bar ? StatusText(bar, 1) : L"(no status bar)";
}

// The window's state after the switches; the defaults are those without any switch.
struct AfterSwitches {
  int job = 0;
  int archiv = 0;
  bool stopTicked = true;
  int datumDays = 0;             // Datum relative to today
  const char* target = "ziel0";  // folder shown in status panel 1; null: blank
};

std::function<void(const std::string&)> Switch(const char* arguments, AfterSwitches expected) {
  return [=](const std::string& name) {
    auto [c, program, window] = Open(name, BasicSettings, arguments);
    if (!window) return;
    CheckInt(window.SelectedJob(), expected.job, "selected job");
    if (HWND archiv = window[ID_Archiv])
      CheckInt(ComboSelection(archiv), expected.archiv, "Archiv selection");
    if (HWND stop = window[ID_StopProg])
      Check(Checked(stop) == expected.stopTicked,
            expected.stopTicked ? "StopProg ticked" : "StopProg not ticked");
    if (HWND datum = window[ID_Datum])
      CheckPickerDate(datum, AddDays(Today(), expected.datumDays), "Datum");
    std::string target = expected.target ? c.Path(expected.target) + "\\" : "";
    CheckText(StatusPanel1(window), FromAnsi(target), "status panel 1");
    NothingLaunched(c, window);
    EndWithEsc(*program, window);
  };
}

// An unreadable number stops the start-up with an error box; the window opens all the same.
void SwitchBadNumber(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  auto program = c.Start("/DIR:x");
  AnswerMessageBox(program->Id(), "'X' ist kein g\xFCltiger Integerwert.", true, "/DIR:x");
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  CheckInt(window.SelectedJob(), 0, "selected job (the list was filled before)");
  CheckText(StatusPanel1(window), L"", "status panel 1 (the target step was skipped)");
  EndWithEsc(*program, window);
}

// Without /WARTEN a bad number after /DATUM:- shows its box as it always did, and /GO is
// dropped with the rest of the start-up.
void SwitchBadDatumWatched(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  auto program = c.Start("/DIR:0 /DATUM:-x /GO");
  AnswerMessageBox(program->Id(), "'X' ist kein g\xFCltiger Integerwert.", true, "/DATUM:-x");
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  NothingLaunched(c, window);
  EndWithEsc(*program, window);
}

// ---------------------------------------------------------------- quitting

void EscEnds(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  std::vector<std::string> files = ListFolder(c.Folder());
  ExpectWindowAndUnchanged(c, {FromAnsi("B\xFCro"), L"Privat", L"System"});
  Check(ListFolder(c.Folder()) == files, "no file is created");
}

void CloseBoxEnds(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  std::string before = c.Ini();
  auto program = c.Start();
  MainWindow window = WaitForMainWindow(*program);
  if (!window) return;
  PostMessageW(window.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectExit(*program, "close box");
  Check(c.Ini() == before, "the settings file is unchanged");
  Check(!PathExists(c.Path("recorder.log")), "no archiver is launched");
}

// ---------------------------------------------------------------- [Startzeit]

void StartzeitMorgen(const std::string& name) {
  auto [c, program, window] = Open(name, [](const Case& folder) {
    return With(BasicSettings(folder), "Startzeit", {"Tag=morgen", "Zeit=7:05:09"});
  });
  if (!window) return;
  if (HWND sofort = window[ID_sofort]) Check(!Checked(sofort), "Sofort not selected");
  if (HWND spaeter = window[ID_spaeter]) Check(Checked(spaeter), "spaeter selected");
  if (HWND tag = window[ID_Tag]) {
    Check(IsWindowEnabled(tag) != 0, "Tag enabled");
    CheckPickerDate(tag, AddDays(Today(), 1), "Tag");
  }
  if (HWND uhrzeit = window[ID_Uhrzeit]) {
    Check(IsWindowEnabled(uhrzeit) != 0, "Uhrzeit enabled");
    CheckText(WindowText(uhrzeit), L"07:05:09", "Uhrzeit shows");
    SYSTEMTIME time{};
    Check(PickerTime(uhrzeit, time) && time.wHour == 7 && time.wMinute == 5 && time.wSecond == 9,
          "Uhrzeit holds 07:05:09");
  }
  CheckInt(static_cast<long long>(window.Jobs().size()), 3, "number of jobs");
  EndWithEsc(*program, window);
}

// A broken schedule stops the start-up before the job list and the switches. A bad date
// comes after "Später" has been selected, a bad time before.
std::function<void(const std::string&)> BadStartzeit(const char* line, const char* message,
                                                     bool spaeterSelected) {
  return [=](const std::string& name) {
    Case c(name);
    c.WriteIni(With(BasicSettings(c), "Startzeit", {line}));
    auto program = c.Start("/GO");
    AnswerMessageBox(program->Id(), message, true, "[Startzeit]");
    MainWindow window = WaitForMainWindow(*program);
    if (!window) return;
    CheckInt(static_cast<long long>(window.Jobs().size()), 0, "number of jobs");
    CheckText(StatusPanel1(window), L"", "status panel 1");
    if (HWND spaeter = window[ID_spaeter])
      Check(Checked(spaeter) == spaeterSelected,
            spaeterSelected ? "spaeter selected" : "spaeter not selected");
    NothingLaunched(c, window);
    EndWithEsc(*program, window);
  };
}

// ---------------------------------------------------------------- broken settings files

void BadIniRandom(const std::string& name) {
  Case c(name);
  std::mt19937 random(20240305);
  std::string bytes(65536, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  WriteBytes(c.IniPath(), bytes);
  ExpectVersionGate(c);
}

void BadIniHuge(const std::string& name) {
  Case c(name);
  std::string bytes = "[Programm]\r\nVersion=3\r\n[Fuellung]\r\n";
  for (int n = 0; bytes.size() < 10u * 1024 * 1024; ++n)
    bytes += "Schluessel" + std::to_string(n) + "=" + std::string(90, 'w') + "\r\n";
  bytes += "[Backup]\r\n0b=Ganz hinten\r\n";
  WriteBytes(c.IniPath(), bytes);
  ExpectWindowAndUnchanged(c, {L"Ganz hinten"}, 60000);
}

void BadIniLongLine(const std::string& name) {
  Case c(name);
  c.WriteIni({"[Backup]", "0b=" + std::string(100000, 'x'), "1b=Zwei", "[Programm]", "Version=3"});
  // A value read back is cut at 2047 characters.
  ExpectWindowAndUnchanged(c, {std::wstring(2047, L'x'), L"Zwei"});
}

void BadIniFolder(const std::string& name) {
  Case c(name);
  CreateDirectoryA(c.IniPath().c_str(), nullptr);
  ExpectVersionGate(c);
  Check(IsDirectory(c.IniPath()) && ListFolder(c.IniPath()).empty(),
        "the folder Datensicherung.ini is left as it was");
}

void BadIniReadOnly(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  SetFileAttributesA(c.IniPath().c_str(), FILE_ATTRIBUTE_READONLY);
  ExpectWindowAndUnchanged(c, {FromAnsi("B\xFCro"), L"Privat", L"System"});
}

}  // namespace

const std::vector<Scenario> kStartupScenarios = {
    {"version_missing", VersionMissing},
    {"version_2", VersionTwo},
    {"version_3a", VersionThreeA},
    {"version_0x3", VersionHex},
    {"layout", Layout},
    {"jobs_0", JobList(0)},
    {"jobs_3", JobList(3)},
    {"jobs_8", JobList(8)},
    {"switch_dir_1", Switch("/DIR:1", {.job = 1})},
    {"switch_dir_9", Switch("/dir:9", {.job = 2})},
    {"switch_dir_negative", Switch("/Dir:-1", {.job = -1})},
    {"switch_pfad_1", Switch("/PFAD:1", {.target = "ziel1"})},
    {"switch_pfad_2", Switch("/pfad:2", {.target = nullptr})},
    {"switch_diff", Switch("/DIFF", {.archiv = 1})},
    {"switch_diff_1", Switch("/DIFF:1", {})},
    {"switch_nostop", Switch("/NOSTOP", {.stopTicked = false})},
    {"switch_datum_minus7", Switch("/DATUM:-7", {.datumDays = -7})},
    {"switch_datum_g", Switch("/datum:g", {.datumDays = -1})},
    {"switch_gogo", Switch("/GOGO", {})},
    {"switch_several",
     Switch("/nostop /Pfad:1 /DIFF /dir:2 /DATUM:-30",
            {.job = 2, .archiv = 1, .stopTicked = false, .datumDays = -30, .target = "ziel1"})},
    {"switch_dir_bad", SwitchBadNumber},
    {"switch_datum_bad_go", SwitchBadDatumWatched},
    {"esc_ends", EscEnds},
    {"close_box", CloseBoxEnds},
    {"startzeit_morgen", StartzeitMorgen},
    {"startzeit_bad_date",
     BadStartzeit("Tag=Mitte M\xE4rz", "'Mitte M\xE4rz' ist kein g\xFCltiges Datum.", true)},
    {"startzeit_bad_time",
     BadStartzeit("Zeit=25:00", "'25:00' ist keine g\xFCltige Uhrzeit.", false)},
    {"badini_random", BadIniRandom},
    {"badini_10mb", BadIniHuge},
    {"badini_longline", BadIniLongLine},
    {"badini_folder", BadIniFolder},
    {"badini_readonly", BadIniReadOnly},
};

}  // namespace e2e
