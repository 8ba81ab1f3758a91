#pragma once
// Helpers of the end-to-end driver: checks, files, the program under test as a process, and
// reading or driving another process's windows from outside.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// ---- checks: each failed one prints a line; the driver's exit code counts them
bool Check(bool ok, const std::string& what);
bool CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what);
bool CheckInt(long long actual, long long expected, const std::string& what);
int Failures();

// ---- text: the program's texts are Windows-1252; the windows hold UTF-16
std::wstring FromAnsi(const std::string& cp1252);
std::string ToAnsi(const std::wstring& text);
std::string Utf8(const std::wstring& text);
// Printable form of Windows-1252 bytes for failure lines.
std::string Show(const std::string& cp1252);

// The driver sees the program's windows in real pixels at every display scale.
void AwareOfEveryDpi();

// ---- waiting: every wait has a deadline
constexpr DWORD kDeadline = 20000;
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDeadline);

// ---- files (Windows paths)
std::string DriverFolder();
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
void RemoveTree(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> ListFolder(const std::string& folder);

// ---- local time
SYSTEMTIME LocalNow();
SYSTEMTIME AddSeconds(const SYSTEMTIME& time, long long seconds);
bool Earlier(const SYSTEMTIME& a, const SYSTEMTIME& b);
std::string DateText(const SYSTEMTIME& t);  // dd.mm.yyyy
std::string TimeText(const SYSTEMTIME& t);  // hh:mm:ss
std::string DateStem(const SYSTEMTIME& t);  // yyyymmdd

// ---- a process started by the driver; ended by its handle when the object goes
class Process {
 public:
  Process(const std::string& exe, const std::string& arguments, const std::string& folder);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  bool WaitForExit(DWORD timeoutMs = kDeadline);
  DWORD ExitCode() const;

 private:
  PROCESS_INFORMATION info_{};
};

// ---- windows of another process
std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
LONG StyleOf(HWND window);
bool HasStyle(HWND window, LONG bits);
bool OwnVisible(HWND window);  // its own WS_VISIBLE, whatever its parents say
// left, top, width, height relative to the parent's client area
RECT PlaceInParent(HWND window);
std::string ShowRect(const RECT& place);
// SendMessage with a deadline, so that a hung program cannot hang the driver
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// True when the window's thread took a sent message within the deadline, i.e. its message
// loop is alive and has finished what it was doing.
bool RoundTrip(HWND window, DWORD timeoutMs = kDeadline);

// Visible top-level window of the process with this class, or null.
HWND TopWindow(DWORD processId, const wchar_t* className, bool visibleOnly = true);
// Any visible top-level window of the process with this class, waited for.
HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs = kDeadline);

std::vector<std::wstring> ComboItems(HWND combo);
int ComboSelection(HWND combo);
bool Checked(HWND button);

// Status bar and picker requests carry pointers, so their buffers live in the target process.
std::wstring StatusText(HWND statusBar, int panel);
std::vector<int> StatusParts(HWND statusBar);
bool PickerTime(HWND picker, SYSTEMTIME& time);

// The window's client area as it is on the screen, as a bitmap file.
void SaveScreenshot(HWND window, const std::string& path);

void Click(HWND button);
void PressKey(HWND mainWindow, UINT virtualKey);
void TypeText(HWND edit, const std::wstring& text);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
  bool icon = false;
  std::vector<std::wstring> buttons;
  RECT rect{};
};
MessageBoxInfo ReadMessageBox(HWND dialog);
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = kDeadline);
// Checks caption, text, icon and the single OK button, then presses it.
void AnswerMessageBox(DWORD processId, const std::string& expectedText, bool errorIcon,
                      const std::string& what);

// Waits until every recorder started from this folder has ended.
void WaitForRecorders(const std::string& folder);

}  // namespace e2e
