// End-to-end driver: runs one scenario against the real program and reports every failed
// check. Usage: e2e_driver.exe <scenario> | --list | --window-rect <seconds> <file>
#include "driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace e2e {

// ---------------------------------------------------------------- the scenario's folder

Case::Case(const std::string& name) : folder_(DriverFolder() + "e2e\\" + name) {
  CreateDirectoryA((DriverFolder() + "e2e").c_str(), nullptr);
  RemoveTree(folder_);
  Check(!PathExists(folder_), "removing the old folder " + folder_);
  CreateDirectoryA(folder_.c_str(), nullptr);
  Check(CopyFileA((DriverFolder() + "Datensicherung.exe").c_str(),
                  Path("Datensicherung.exe").c_str(), FALSE) != 0,
        "copying Datensicherung.exe from beside the driver (is it built?)");
  Check(CopyFileA((DriverFolder() + "recorder.exe").c_str(), RecorderPath().c_str(), FALSE) != 0,
        "copying recorder.exe from beside the driver");
}

void Case::WriteIni(const std::vector<std::string>& lines) const {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteBytes(IniPath(), bytes);
}

std::unique_ptr<Process> Case::Start(const std::string& arguments) const {
  return std::make_unique<Process>(Path("Datensicherung.exe"), arguments, folder_);
}

Opened Open(const std::string& name, const SettingsFor& settings, const std::string& arguments) {
  Case c(name);
  c.WriteIni(settings(c));
  auto program = c.Start(arguments);
  MainWindow window = WaitForMainWindow(*program);
  return {std::move(c), std::move(program), window};
}

// ---------------------------------------------------------------- the main window

int ParentOf(int id) {
  if (id >= ID_ZielItem0) return ID_Ziel;
  const ControlRow* row = FindControl(id);
  return row ? row->parent : 0;
}

HWND MainWindow::operator[](int id) const {
  int parent = ParentOf(id);
  HWND container = parent == 0 ? window_ : (*this)[parent];
  return container ? GetDlgItem(container, id) : nullptr;
}

std::vector<HWND> MainWindow::Jobs() const {
  std::vector<HWND> jobs;
  for (int id = ID_ZielItem0; HWND job = (*this)[id]; ++id) jobs.push_back(job);
  return jobs;
}

int MainWindow::SelectedJob() const {
  std::vector<HWND> jobs = Jobs();
  for (size_t i = 0; i < jobs.size(); ++i)
    if (Checked(jobs[i])) return static_cast<int>(i);
  return -1;
}

int MainWindow::OuterHeight() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return rect.bottom - rect.top;
}

MainWindow WaitForMainWindow(const Process& program, DWORD timeoutMs) {
  HWND window = WaitForTopWindow(program.Id(), DS_MAIN_CLASS, timeoutMs);
  Check(window != nullptr, "the main window appears");
  return MainWindow(window);
}

void ExpectExit(Process& program, const std::string& what) {
  if (Check(program.WaitForExit(), what + ": the program ends"))
    CheckInt(program.ExitCode(), 0, what + ": exit code");
}

void EndWithEsc(Process& program, const MainWindow& window) {
  if (!window) return;
  PressKey(window.Handle(), VK_ESCAPE);
  ExpectExit(program, "Esc");
}

void NothingLaunched(const Case& c, const MainWindow& window) {
  Check(Settle(window), "the window stays open");
  WaitForRecorders(c.Folder());
  Check(!PathExists(c.Path("recorder.log")), "no archiver is launched");
}

bool Settle(const MainWindow& window) {
  // Sent messages overtake posted ones, so one round trip may come back before a posted
  // click is handled; the second comes back only after it.
  return RoundTrip(window.Handle()) && RoundTrip(window.Handle());
}

// ---------------------------------------------------------------- settings

std::string DefaultParam() { return "%s -m%s%s\"%s\" \"%s\""; }

std::vector<std::string> BasicSettings(const Case& c) {
  return {
      "[Programm]",
      "Version=3",
      "Zip=" + c.RecorderPath(),
      "Param=" + DefaultParam(),
      "[Backup]",
      "0b=B\xFCro",
      "0=C:\\Quelle\\%tag%\\*.*",
      "0p=" + c.Path("out") + "\\",
      "1b=Privat",
      "1=D:\\Privat\\*.*",
      "2b=System",
      "2=C:\\Windows\\*.*",
      "[Ziel]",
      "0=" + c.Path("ziel0") + "\\",
      "1=" + c.Path("ziel1") + "\\",
  };
}

std::vector<std::string> AllShown(const Case& c) {
  return With(BasicSettings(c), "Programm", {"changedir=1", "Stopprog=1"});
}

std::vector<std::string> With(std::vector<std::string> settings, const std::string& section,
                              const std::vector<std::string>& lines) {
  auto at = std::find(settings.begin(), settings.end(), "[" + section + "]");
  if (at == settings.end()) {
    settings.push_back("[" + section + "]");
    at = settings.end() - 1;
  }
  settings.insert(at + 1, lines.begin(), lines.end());
  return settings;
}

namespace {
std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}
}  // namespace

bool IniValue(const std::string& bytes, const std::string& section, const std::string& key,
              std::string& value) {
  std::string current;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (!line.empty() && line.front() == '[') {
      current = line.substr(1, line.find(']') - 1);
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos || !SameName(current, section)) continue;
    if (SameName(Trim(line.substr(0, equals)), key)) {
      value = Trim(line.substr(equals + 1));
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- dates

SYSTEMTIME Today() {
  SYSTEMTIME today = LocalNow();
  today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
  return today;
}

SYSTEMTIME AddDays(const SYSTEMTIME& day, int days) { return AddSeconds(day, days * 86400LL); }

bool SameDate(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

std::string ShowDate(const SYSTEMTIME& t) { return DateText(t) + " " + TimeText(t); }

}  // namespace e2e

namespace {

std::vector<e2e::Scenario> AllScenarios() {
  std::vector<e2e::Scenario> all = e2e::kStartupScenarios;
  for (const auto* more : {&e2e::kRunScenarios, &e2e::kSafetyScenarios, &e2e::kWindowScenarios})
    all.insert(all.end(), more->begin(), more->end());
  return all;
}

// For the run script: waits for the program's window (of any process) and writes where it is
// on the screen as "left top width height" to a file. A file, because the script runs this
// inside the program's own Wine desktop, which passes no output on.
int WriteWindowRect(int seconds, const char* path) {
  HWND window = nullptr;
  e2e::WaitUntil(
      [&] {
        return (window = FindWindowW(DS_MAIN_CLASS, nullptr)) != nullptr && IsWindowVisible(window);
      },
      static_cast<DWORD>(seconds) * 1000);
  RECT rect{};
  if (!window || !GetWindowRect(window, &rect)) return 1;
  // Painted before anyone takes a picture of it.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  e2e::RoundTrip(window);
  e2e::WriteBytes(path, std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                            std::to_string(rect.right - rect.left) + " " +
                            std::to_string(rect.bottom - rect.top) + "\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  e2e::AwareOfEveryDpi();
  if (argc == 4 && std::strcmp(argv[1], "--window-rect") == 0)
    return WriteWindowRect(std::atoi(argv[2]), argv[3]);
  std::vector<e2e::Scenario> scenarios = AllScenarios();
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const e2e::Scenario& scenario : scenarios) std::printf("%s\n", scenario.name);
    return 0;
  }
  auto found = std::find_if(scenarios.begin(), scenarios.end(), [&](const e2e::Scenario& s) {
    return argc == 2 && std::strcmp(s.name, argv[1]) == 0;
  });
  if (found == scenarios.end()) {
    std::printf("usage: e2e_driver.exe <scenario> | --list | --window-rect <seconds> <file>\n");
    return 2;
  }
  if (!e2e::PathExists(e2e::DriverFolder() + "Datensicherung.exe")) {
    std::printf("FAILED: Datensicherung.exe is not beside the driver; build the win32 preset\n");
    return 1;
  }
  std::printf("scenario %s\n", found->name);
  std::fflush(stdout);
  found->run(found->name);
  int failures = e2e::Failures();
  std::printf("%s: %s (%d failed check%s)\n", found->name, failures ? "FAILED" : "passed", failures,
              failures == 1 ? "" : "s");
  return failures ? 1 : 0;
}
