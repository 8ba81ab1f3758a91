#include "support.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>

namespace e2e {

// ---------------------------------------------------------------- checks

namespace {
int failures = 0;
// E2E_VERBOSE=1 lists every check with the time since the start, to see where time goes.
const bool verbose = std::getenv("E2E_VERBOSE") != nullptr;
const ULONGLONG started = GetTickCount64();
}  // namespace

bool Check(bool ok, const std::string& what) {
  if (!ok) ++failures;
  if (!ok || verbose) {
    std::printf("%s%s\n", ok ? "ok: " : "FAILED: ", what.c_str());
    if (verbose)
      std::printf("    at %.2f s\n", static_cast<double>(GetTickCount64() - started) / 1000);
    std::fflush(stdout);
  }
  return ok;
}

bool CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
  return Check(actual == expected,
               what + ": got \"" + Utf8(actual) + "\", expected \"" + Utf8(expected) + "\"");
}

bool CheckInt(long long actual, long long expected, const std::string& what) {
  return Check(actual == expected,
               what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

int Failures() { return failures; }

// ---------------------------------------------------------------- text

std::wstring FromAnsi(const std::string& cp1252) {
  if (cp1252.empty()) return {};
  int size = static_cast<int>(cp1252.size());
  std::wstring result(static_cast<size_t>(size), L'\0');
  int length = MultiByteToWideChar(1252, 0, cp1252.data(), size, result.data(), size);
  result.resize(static_cast<size_t>(std::max(length, 0)));
  return result;
}

namespace {
std::string FromWide(UINT codePage, const std::wstring& text) {
  if (text.empty()) return {};
  int size = static_cast<int>(text.size());
  int needed = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(std::max(needed, 0)), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, result.data(), needed, nullptr, nullptr);
  return result;
}
}  // namespace

std::string ToAnsi(const std::wstring& text) { return FromWide(1252, text); }
std::string Utf8(const std::wstring& text) {
  // Failure lines stay readable even for the very long texts of the bad-input cases.
  if (text.size() > 300)
    return FromWide(CP_UTF8, text.substr(0, 300)) + "... (" + std::to_string(text.size()) +
           " characters)";
  return FromWide(CP_UTF8, text);
}
std::string Show(const std::string& cp1252) { return Utf8(FromAnsi(cp1252)); }

void AwareOfEveryDpi() {
  using SetAwareness = BOOL(WINAPI*)(HANDLE);
  if (auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))))
    set(reinterpret_cast<HANDLE>(-4));  // per monitor, version 2
}

// ---------------------------------------------------------------- waiting

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
}

// ---------------------------------------------------------------- files

std::string DriverFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string result(path, length);
  return result.substr(0, result.find_last_of('\\') + 1);
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  Check(ok, "writing " + path);
}

void RemoveTree(const std::string& path) {
  if (!IsDirectory(path)) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  for (const std::string& name : ListFolder(path)) RemoveTree(path + "\\" + name);
  RemoveDirectoryA(path.c_str());
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// ---------------------------------------------------------------- local time

SYSTEMTIME LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

SYSTEMTIME AddSeconds(const SYSTEMTIME& time, long long seconds) {
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  ULARGE_INTEGER value;
  value.LowPart = file.dwLowDateTime;
  value.HighPart = file.dwHighDateTime;
  value.QuadPart =
      static_cast<ULONGLONG>(static_cast<long long>(value.QuadPart) + seconds * 10000000LL);
  file.dwLowDateTime = value.LowPart;
  file.dwHighDateTime = value.HighPart;
  SYSTEMTIME result;
  FileTimeToSystemTime(&file, &result);
  return result;
}

bool Earlier(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  FILETIME fa, fb;
  SystemTimeToFileTime(&a, &fa);
  SystemTimeToFileTime(&b, &fb);
  return CompareFileTime(&fa, &fb) < 0;
}

namespace {
std::string Format(const char* pattern, int a, int b, int c) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}
}  // namespace

std::string DateText(const SYSTEMTIME& t) {
  return Format("%02d.%02d.%04d", t.wDay, t.wMonth, t.wYear);
}
std::string TimeText(const SYSTEMTIME& t) {
  return Format("%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
}
std::string DateStem(const SYSTEMTIME& t) {
  return Format("%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
}

// ---------------------------------------------------------------- process

Process::Process(const std::string& exe, const std::string& arguments, const std::string& folder) {
  std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info_)) {
    info_ = {};
    Check(false, "starting " + line + " (error " + std::to_string(GetLastError()) + ")");
  }
}

Process::~Process() {
  if (!Started()) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::Running() const {
  return Started() && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs) {
  return Started() && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (Started()) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

// ---------------------------------------------------------------- windows of another process

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000,
                      &result);
  return static_cast<LRESULT>(result);
}

bool RoundTrip(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::wstring WindowText(HWND window) {
  LRESULT length = Send(window, WM_GETTEXTLENGTH);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
bool HasStyle(HWND window, LONG bits) { return (StyleOf(window) & bits) == bits; }
bool OwnVisible(HWND window) { return HasStyle(window, WS_VISIBLE); }

RECT PlaceInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string ShowRect(const RECT& place) {
  return std::to_string(place.left) + ", " + std::to_string(place.top) + ", " +
         std::to_string(place.right) + ", " + std::to_string(place.bottom);
}

namespace {
struct TopWindowSearch {
  DWORD processId;
  const wchar_t* className;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TopWindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || ClassOf(window) != search->className) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}
}  // namespace

HWND TopWindow(DWORD processId, const wchar_t* className, bool visibleOnly) {
  TopWindowSearch search{processId, className, visibleOnly, nullptr};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = TopWindow(processId, className)) != nullptr; }, timeoutMs);
  return found;
}

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  LRESULT count = Send(combo, CB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
    std::wstring item(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    LRESULT copied =
        Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    items.push_back(item);
  }
  return items;
}

int ComboSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL)); }
bool Checked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

namespace {
// A buffer inside the target process, for requests whose pointer the system does not carry
// across processes.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool Ok() const { return address_ != nullptr; }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  bool Read(void* target) const {
    SIZE_T read = 0;
    return ReadProcessMemory(process_, address_, target, size_, &read) && read == size_;
  }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};
}  // namespace

std::wstring StatusText(HWND statusBar, int panel) {
  constexpr size_t kChars = 4096;
  RemoteBuffer buffer(statusBar, kChars * sizeof(wchar_t));
  if (!Check(buffer.Ok(), "buffer in the program for the status bar")) return {};
  Send(statusBar, SB_GETTEXTW, static_cast<WPARAM>(panel), buffer.Address());
  std::wstring text(kChars, L'\0');
  buffer.Read(text.data());
  text.resize(wcsnlen(text.c_str(), kChars));
  return text;
}

std::vector<int> StatusParts(HWND statusBar) {
  constexpr int kMax = 16;
  RemoteBuffer buffer(statusBar, kMax * sizeof(int));
  if (!Check(buffer.Ok(), "buffer in the program for the status bar")) return {};
  LRESULT count = Send(statusBar, SB_GETPARTS, kMax, buffer.Address());
  std::vector<int> parts(kMax);
  buffer.Read(parts.data());
  parts.resize(static_cast<size_t>(std::clamp<LRESULT>(count, 0, kMax)));
  return parts;
}

bool PickerTime(HWND picker, SYSTEMTIME& time) {
  RemoteBuffer buffer(picker, sizeof(SYSTEMTIME));
  if (!Check(buffer.Ok(), "buffer in the program for a picker")) return false;
  LRESULT state = Send(picker, DTM_GETSYSTEMTIME, 0, buffer.Address());
  return state == GDT_VALID && buffer.Read(&time);
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void PressKey(HWND mainWindow, UINT virtualKey) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  HWND target = mainWindow;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(mainWindow, nullptr), &thread) && thread.hwndFocus)
    target = thread.hwndFocus;
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | scan);
  PostMessageW(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(1 | scan | 0xC0000000u));
}

void TypeText(HWND edit, const std::wstring& text) {
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The window's client area as it is on the screen, as a bitmap file (with no window manager
// the frame is nobody's to draw).
void SaveScreenshot(HWND window, const std::string& path) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RoundTrip(window);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  const size_t size = stride * static_cast<size_t>(height);
  BITMAPFILEHEADER file{
      0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
      sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  bytes.append(static_cast<const char*>(bits), size);
  WriteBytes(path, bytes);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// ---------------------------------------------------------------- message boxes

namespace {
BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::wstring WithoutAccelerator(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return text;
}
}  // namespace

MessageBoxInfo ReadMessageBox(HWND dialog) {
  MessageBoxInfo box;
  box.window = dialog;
  box.caption = WindowText(dialog);
  GetWindowRect(dialog, &box.rect);
  for (HWND child : Children(dialog)) {
    std::wstring kind = ClassOf(child);
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
      if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
        box.icon = box.icon || (OwnVisible(child) && Send(child, STM_GETICON) != 0);
      } else if (GetDlgCtrlID(child) == 0xFFFF) {
        box.text = WindowText(child);
      }
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0 && OwnVisible(child)) {
      box.buttons.push_back(WithoutAccelerator(WindowText(child)));
    }
  }
  return box;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  return WaitForTopWindow(processId, L"#32770", timeoutMs);
}

void AnswerMessageBox(DWORD processId, const std::string& expectedText, bool errorIcon,
                      const std::string& what) {
  HWND dialog = WaitForMessageBox(processId);
  if (!Check(dialog != nullptr, what + ": message box \"" + Show(expectedText) + "\" appears"))
    return;
  MessageBoxInfo box = ReadMessageBox(dialog);
  CheckText(box.caption, L"Datensicherung", what + ": message box caption");
  CheckText(box.text, FromAnsi(expectedText), what + ": message box text");
  Check(box.icon == errorIcon, what + (errorIcon ? ": error icon shown" : ": no icon shown"));
  Check(box.buttons == std::vector<std::wstring>{L"OK"}, what + ": one button, OK");
  for (HWND child : Children(dialog))
    if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && OwnVisible(child)) Click(child);
  Check(WaitUntil([&] { return !IsWindow(dialog); }), what + ": message box closes on OK");
}

// ---------------------------------------------------------------- the stand-in archiver

void WaitForRecorders(const std::string& folder) {
  std::wstring expected = FromAnsi(folder + "\\recorder.exe");
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"recorder.exe") != 0) continue;
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process) continue;
    wchar_t image[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    // One whose path cannot be read may be ours: waiting for it costs little.
    if (!QueryFullProcessImageNameW(process, 0, image, &size) ||
        _wcsicmp(image, expected.c_str()) == 0)
      WaitForSingleObject(process, kDeadline);
    CloseHandle(process);
  }
  CloseHandle(snapshot);
}

}  // namespace e2e
