#pragma once
// What the scenarios of the end-to-end driver share: a fresh folder with the program, its
// settings file and the stand-in archiver, and the main window seen from outside.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support.h"
#include "win32/window_classes.h"

namespace e2e {

// A scenario gets its own name, which also names its folder.
struct Scenario {
  const char* name;
  std::function<void(const std::string&)> run;
};
extern const std::vector<Scenario> kStartupScenarios;
extern const std::vector<Scenario> kRunScenarios;
extern const std::vector<Scenario> kSafetyScenarios;
extern const std::vector<Scenario> kWindowScenarios;

// One scenario's folder under e2e\ beside the driver, laid anew with the program and recorder.
class Case {
 public:
  explicit Case(const std::string& name);

  const std::string& Folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  std::string IniPath() const { return Path("Datensicherung.ini"); }
  std::string RecorderPath() const { return Path("recorder.exe"); }

  // Lines in Windows-1252, written with CRLF.
  void WriteIni(const std::vector<std::string>& lines) const;
  std::string Ini() const { return ReadBytes(IniPath()); }
  std::string RecorderLog() const { return ReadBytes(Path("recorder.log")); }

  std::unique_ptr<Process> Start(const std::string& arguments = "") const;

 private:
  std::string folder_;
};

// The main window and its controls, found by id through the chain of parents.
class MainWindow {
 public:
  explicit MainWindow(HWND window) : window_(window) {}
  HWND Handle() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }
  HWND operator[](int id) const;
  // The job buttons inside Ziel.
  std::vector<HWND> Jobs() const;
  int SelectedJob() const;  // -1 when none
  std::wstring Caption() const { return WindowText(window_); }
  int OuterHeight() const;

 private:
  HWND window_;
};

// A scenario's program started over its settings file, and its main window (null, after a
// failed check, when it does not come).
struct Opened {
  Case c;
  std::unique_ptr<Process> program;
  MainWindow window;
};
using SettingsFor = std::function<std::vector<std::string>(const Case&)>;
Opened Open(const std::string& name, const SettingsFor& settings,
            const std::string& arguments = "");

// Parent id of a control as laid out (0: the window itself).
int ParentOf(int id);

// Waits for the visible main window of the process; a failed check when it does not come.
MainWindow WaitForMainWindow(const Process& program, DWORD timeoutMs = kDeadline);
// Esc, then the process must end with exit code 0.
void EndWithEsc(Process& program, const MainWindow& window);
void ExpectExit(Process& program, const std::string& what);
// Waits until the window has handled what was sent or posted to it so far; false when its
// message loop has ended instead.
bool Settle(const MainWindow& window);

// The window stays open and no archiver was launched (or is still starting).
void NothingLaunched(const Case& c, const MainWindow& window);

// Settings a typical run needs: version, archiver, template, three jobs, two targets.
std::vector<std::string> BasicSettings(const Case& c);
// The same with "Verzeichnis" and "Programm schließen" shown.
std::vector<std::string> AllShown(const Case& c);
std::string DefaultParam();
// Lines added at the start of a section, which is appended when missing.
std::vector<std::string> With(std::vector<std::string> settings, const std::string& section,
                              const std::vector<std::string>& lines);

// The first value of a key in settings-file bytes; names compared regardless of case.
bool IniValue(const std::string& bytes, const std::string& section, const std::string& key,
              std::string& value);

SYSTEMTIME Today();
SYSTEMTIME AddDays(const SYSTEMTIME& day, int days);
bool SameDate(const SYSTEMTIME& a, const SYSTEMTIME& b);
std::string ShowDate(const SYSTEMTIME& t);

}  // namespace e2e
