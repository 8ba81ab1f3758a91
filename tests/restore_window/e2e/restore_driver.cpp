// The restore window driven from outside under Wine, as a user drives it: keys into its lists
// and tree, text into its fields, clicks on its buttons. Its sets are made by dszip.exe beside
// the driver; what the window restores is compared with the files as they were that night.
//   restore_driver.exe <scenario> | restore_screenshot <file.bmp> [drive] | --time-opening <folder>
//   <lines>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "restore_window/window_layout.h"
#include "support.h"

namespace {

using namespace e2e;  // NOLINT(google-build-using-namespace)
using restore_window::ControlId;

const wchar_t* const kWindowClass = L"DatensicherungWiederherstellen";
const wchar_t* const kPasswordClass = L"DatensicherungKennwort";

struct FileState {
  std::string bytes;
  FILETIME modified{};
};
using Snapshot = std::map<std::string, FileState>;  // by path below the sources' folder

// The scenario's folder: Daten (the source), Archiv (the set), Ziel (restores go there).
struct Folder {
  std::string root;
  explicit Folder(const std::string& name) : root(DriverFolder() + "restore-e2e\\" + name + "\\") {
    RemoveTree(root);
    CreateDirectoryA((DriverFolder() + "restore-e2e").c_str(), nullptr);
    CreateDirectoryA(root.c_str(), nullptr);
    for (const char* sub : {"Daten", "Daten\\Ordner", "Daten\\Ordner\\Unter", "Archiv"})
      CreateDirectoryA((root + sub).c_str(), nullptr);
  }
  std::string Archive(int night) const {
    return root + "Archiv\\202403" + (night < 10 ? "0" : "") + std::to_string(night) + "-0.zip";
  }
};

// A window's whole text as UTF-8, for searching (Utf8 cuts long texts for failure lines).
std::string Whole(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

FILETIME Modified(const std::string& path) {
  FILETIME modified{};
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileTime(file, nullptr, nullptr, &modified);
  CloseHandle(file);
  return modified;
}

void TakeSnapshot(const std::string& folder, const std::string& below, Snapshot& snapshot) {
  for (const std::string& name : ListFolder(folder + below)) {
    const std::string path = below + name;
    if (IsDirectory(folder + path))
      TakeSnapshot(folder, path + "\\", snapshot);
    else
      snapshot[path] = {ReadBytes(folder + path), Modified(folder + path)};
  }
}

bool RunDszip(const std::string& arguments) {
  Process dszip(DriverFolder() + "dszip.exe", arguments, DriverFolder());
  return Check(dszip.WaitForExit(60000) && dszip.ExitCode() == 0, "dszip " + arguments);
}

// Night 1 a full backup, each night after an incremental one that changes a.txt, every other
// night Ordner\x.txt, and adds neu<n>.txt. Returns the files as they were after `keep`.
Snapshot MakeNights(const Folder& f, int nights, int keep, const std::string& password = "") {
  const std::string data = f.root + "Daten\\";
  WriteBytes(data + "b.txt", "b1");
  WriteBytes(data + "Ordner\\Unter\\y.txt", "y1");
  Snapshot kept;
  for (int n = 1; n <= nights; ++n) {
    WriteBytes(data + "a.txt", "a" + std::to_string(n));
    if (n % 2 == 1) WriteBytes(data + "Ordner\\x.txt", "x" + std::to_string(n));
    if (n > 1) WriteBytes(data + "neu" + std::to_string(n) + ".txt", std::to_string(n));
    Sleep(20);  // each night's files get their own time
    const std::string kind = n == 1 ? "-ac" : "-ac -ao";
    const std::string secret = password.empty() ? "" : " -hp" + password;
    if (!RunDszip("a " + kind + secret + " \"" + f.Archive(n) + "\" \"" + f.root + "Daten\""))
      return kept;
    if (n == keep) TakeSnapshot(data, "", kept);
  }
  return kept;
}

// The window of a started Wiederherstellen.exe, and its controls by id.
struct Window {
  std::unique_ptr<Process> process;
  HWND handle = nullptr;
  std::string shot;  // where the window's picture goes when a check failed
  Window(const Folder& f, const std::string& arguments) : shot(f.root + "window.bmp") {
    process = std::make_unique<Process>(DriverFolder() + "Wiederherstellen.exe", arguments,
                                        DriverFolder());
    handle = WaitForTopWindow(process->Id(), kWindowClass);
    Check(handle != nullptr, "the restore window opens");
  }
  ~Window() {
    if (handle && Failures() > 0) SaveScreenshot(handle, shot);
    if (handle) PostMessageW(handle, WM_CLOSE, 0, 0);
    process->WaitForExit(10000);
  }
  HWND operator[](ControlId id) const { return GetDlgItem(handle, id); }
  void Key(ControlId id, UINT key, int times = 1) const {
    for (int i = 0; i < times; ++i) {
      const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
      PostMessageW((*this)[id], WM_KEYDOWN, key, 1 | scan);
      if (key == VK_SPACE) PostMessageW((*this)[id], WM_CHAR, L' ', 1 | scan);
      PostMessageW((*this)[id], WM_KEYUP, key, static_cast<LPARAM>(1 | scan | 0xC0000000u));
      RoundTrip(handle);
    }
  }
  // The result line below the progress bar, once the run has ended.
  // Space on the tree's chosen item, waited for until its box shows the tick.
  void TickChosen() const {
    const HWND tree = (*this)[restore_window::ID_Tree];
    Key(restore_window::ID_Tree, VK_SPACE);
    Check(WaitUntil([&] {
            const LRESULT chosen = Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
            return chosen &&
                   (Send(tree, TVM_GETITEMSTATE, static_cast<WPARAM>(chosen), TVIS_STATEIMAGEMASK) &
                    TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
          }),
          "a tick in the tree");
  }
  std::string Verdict() const { return Whole(WindowText((*this)[restore_window::ID_Result])); }
  // The night's row: a heading, then the nights newest first.
  void ChooseNight(int night, int nights) const {
    Key(restore_window::ID_Nights, VK_HOME);
    Key(restore_window::ID_Nights, VK_DOWN, nights - night + 1);
    const HWND list = (*this)[restore_window::ID_Nights];
    Check(WaitUntil([&] {
            return Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) ==
                   nights - night + 1;
          }),
          "night " + std::to_string(night) + " chosen");
    RoundTrip(handle);  // its tree is shown once the window takes a message again
  }
  // From the list of nights on to the tree, by Tab as a user goes: the tree acts on keys only
  // while it has the focus.
  void TabToTree() const {
    for (int i = 0; i < 2; ++i) {
      PressKey(handle, VK_TAB);
      RoundTrip(handle);
    }
  }
  bool Restore(const std::string& target) const {
    TypeText((*this)[restore_window::ID_TargetFolder], std::wstring(target.begin(), target.end()));
    Click((*this)[restore_window::ID_Restore]);
    return Check(WaitUntil([&] { return Verdict().find("Ergebnis:") != std::string::npos; }, 60000),
                 "the restore ends with a verdict: " + Verdict());
  }
};

void CheckRestored(const std::string& target, const Snapshot& night, const Snapshot& expected) {
  Snapshot restored;
  TakeSnapshot(target + "Daten\\", "", restored);
  CheckInt(static_cast<long long>(restored.size()), static_cast<long long>(expected.size()),
           "files restored");
  for (const auto& [path, state] : expected) {
    const auto found = restored.find(path);
    if (!Check(found != restored.end(), path + " restored")) continue;
    Check(found->second.bytes == night.at(path).bytes, path + ": the bytes of that night");
    const auto ticks = [](const FILETIME& t) {
      return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    // The archive keeps whole seconds.
    CheckInt(ticks(found->second.modified) / 10000000, ticks(night.at(path).modified) / 10000000,
             path + ": the time of that night");
  }
}

void PickFolderAndFile(const std::string& name) {
  Folder f(name);
  const Snapshot night7 = MakeNights(f, 10, 7);
  Window window(f, "\"" + f.root + "Archiv\\\"");
  window.ChooseNight(7, 10);
  window.TabToTree();
  window.Key(restore_window::ID_Tree, VK_HOME);   // Daten
  window.Key(restore_window::ID_Tree, VK_RIGHT);  // opened
  window.Key(restore_window::ID_Tree, VK_DOWN);   // Ordner
  window.TickChosen();
  window.Key(restore_window::ID_Tree, VK_DOWN);  // a.txt
  window.TickChosen();
  if (!window.Restore(f.root + "Ziel\\")) return;
  Check(window.Verdict().find("Exit-Code 0") != std::string::npos, "restored: " + window.Verdict());
  const std::string counts = Whole(WindowText(window[restore_window::ID_Counts]));
  Check(counts.starts_with("3 von 3 Dateien, "), "the counts beside the bar: " + counts);
  Snapshot picked;
  for (const char* path : {"a.txt", "Ordner\\x.txt", "Ordner\\Unter\\y.txt"}) picked[path] = {};
  CheckRestored(f.root + "Ziel\\", night7, picked);
}

void WholeNight(const std::string& name) {
  Folder f(name);
  const Snapshot night7 = MakeNights(f, 10, 7);
  Window window(f, "\"" + f.root + "Archiv\\\"");
  window.ChooseNight(7, 10);
  if (!window.Restore(f.root + "Ziel\\")) return;
  CheckRestored(f.root + "Ziel\\", night7, night7);
}

// The password dialog: a wrong password is asked again, the right one opens the night, and
// the restore asks no more.
void WrongThenRightPassword(const std::string& name) {
  Folder f(name);
  const Snapshot night2 = MakeNights(f, 2, 2, "Geheim");
  Window window(f, "\"" + f.Archive(2) + "\"");
  for (const char* typed : {"Falsch", "Geheim"}) {
    HWND dialog = WaitForTopWindow(window.process->Id(), kPasswordClass);
    if (!Check(dialog != nullptr, std::string("the password is asked for, to type ") + typed))
      return;
    const std::string text(typed);
    TypeText(GetDlgItem(dialog, 10), std::wstring(text.begin(), text.end()));
    Click(GetDlgItem(dialog, IDOK));
    WaitUntil([&] { return !IsWindow(dialog); });
  }
  Check(WaitUntil([&] { return Send(window[restore_window::ID_Tree], TVM_GETCOUNT) > 0; }),
        "the night shows");
  if (!window.Restore(f.root + "Ziel\\")) return;
  Check(TopWindow(window.process->Id(), kPasswordClass) == nullptr, "no second question");
  CheckRestored(f.root + "Ziel\\", night2, night2);
}

// "Abbrechen" midway: the run ends as cancelled and leaves no file under a temporary name.
void CancelMidway(const std::string& name) {
  Folder f(name);
  std::string big(64u << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  for (int i = 0; i < 4; ++i) WriteBytes(f.root + "Daten\\gross" + std::to_string(i) + ".bin", big);
  if (!RunDszip("a -ac -m0 \"" + f.Archive(1) + "\" \"" + f.root + "Daten\"")) return;
  Window window(f, "\"" + f.Archive(1) + "\"");
  TypeText(window[restore_window::ID_TargetFolder], L"");
  const std::string target = f.root + "Ziel\\";
  TypeText(window[restore_window::ID_TargetFolder], std::wstring(target.begin(), target.end()));
  Click(window[restore_window::ID_Restore]);
  WaitUntil([&] { return IsWindowEnabled(window[restore_window::ID_Cancel]); });
  Click(window[restore_window::ID_Cancel]);
  Check(WaitUntil([&] { return window.Verdict().find("Ergebnis:") != std::string::npos; }, 60000),
        "the cancelled run ends");
  Check(window.Verdict().find("Abgebrochen") != std::string::npos,
        "cancelled: " + window.Verdict());
  std::function<bool(const std::string&)> anyTemporary = [&](const std::string& folder) {
    for (const std::string& entry : ListFolder(folder)) {
      if (entry.find(".dszip-tmp") != std::string::npos) return true;
      if (IsDirectory(folder + entry) && anyTemporary(folder + entry + "\\")) return true;
    }
    return false;
  };
  Check(!anyTemporary(target), "no file under a temporary name");
}

// A run that failed comes first in "Verlauf".
void HistoryShowsFailure(const std::string& name) {
  Folder f(name);
  MakeNights(f, 1, 1);
  Process failing(DriverFolder() + "dszip.exe",
                  "a -ac \"" + f.Archive(2) + "\" \"" + f.root + "Fehlt\"", DriverFolder());
  failing.WaitForExit(60000);
  Window window(f, "\"" + f.root + "Archiv\\\"");
  window.Key(restore_window::ID_History, VK_HOME);
  const std::string record = Whole(WindowText(window[restore_window::ID_HistoryRecord]));
  Check(record.find("Fehlgeschlagen") != std::string::npos, "the first run failed: " + record);
}

// The window with night 7 chosen and its folders open, for the README.
// `drive`: an empty drive to work on, so that the picture shows no path of the build.
void Screenshot(const std::string& name, const std::string& path, const std::string& drive) {
  Folder f(name);
  if (!drive.empty()) {
    f.root = drive;
    for (const char* sub : {"Daten", "Daten\\Ordner", "Daten\\Ordner\\Unter", "Archiv"})
      CreateDirectoryA((drive + sub).c_str(), nullptr);
  }
  MakeNights(f, 10, 7);
  Window window(f, "\"" + f.root + "Archiv\\\"");
  window.ChooseNight(7, 10);
  window.TabToTree();
  window.Key(restore_window::ID_Tree, VK_HOME);
  window.Key(restore_window::ID_Tree, VK_RIGHT);
  window.Key(restore_window::ID_Tree, VK_DOWN);
  window.Key(restore_window::ID_Tree, VK_RIGHT);
  window.Key(restore_window::ID_Tree, VK_DOWN);
  window.TickChosen();
  TypeText(window[restore_window::ID_TargetFolder], L"C:\\Users\\Anna\\Desktop\\Zur\u00fcck");
  RoundTrip(window.handle);
  SaveScreenshot(window.handle, path);
}

// For the benchmark: the seconds from starting the window on `folder` until its list shows
// `rows` lines, printed.
int TimeOpening(const std::string& folder, int rows) {
  const ULONGLONG started = GetTickCount64();
  Process program(DriverFolder() + "Wiederherstellen.exe", "\"" + folder + "\"", DriverFolder());
  const HWND window = WaitForTopWindow(program.Id(), kWindowClass, 60000);
  const HWND list = GetDlgItem(window, restore_window::ID_Nights);
  const bool shown = WaitUntil([&] { return Send(list, LVM_GETITEMCOUNT) >= rows; }, 60000);
  const double seconds = static_cast<double>(GetTickCount64() - started) / 1000;
  std::printf("%s: %d lines in %.2f s\n", shown ? "shown" : "NOT shown", rows, seconds);
  PostMessageW(window, WM_CLOSE, 0, 0);
  program.WaitForExit(10000);
  return shown ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  AwareOfEveryDpi();
  const std::map<std::string, std::function<void(const std::string&)>> scenarios{
      {"restore_pick", PickFolderAndFile},          {"restore_whole_night", WholeNight},
      {"restore_password", WrongThenRightPassword}, {"restore_cancel", CancelMidway},
      {"restore_history", HistoryShowsFailure},
  };
  if (argc == 4 && std::strcmp(argv[1], "--time-opening") == 0)
    return TimeOpening(argv[2], std::atoi(argv[3]));
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "restore_screenshot") == 0) {
    Screenshot(argv[1], argv[2], argc == 4 ? argv[3] : "");
  } else if (argc == 2 && scenarios.count(argv[1])) {
    scenarios.at(argv[1])(argv[1]);
  } else {
    std::printf(
        "usage: restore_driver.exe <scenario> | restore_screenshot <file.bmp> [drive] | "
        "--time-opening <folder> <lines>\n");
    return 2;
  }
  const int failures = Failures();
  std::printf("%s: %s (%d failed checks)\n", argv[1], failures ? "FAILED" : "passed", failures);
  return failures ? 1 : 0;
}
