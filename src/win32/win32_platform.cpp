#include "win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>

#include <stdexcept>

#include "core/texts.h"
#include "runlog/run_log_win32.h"
#include "win32/wide_text.h"
#include "win32_common/handle.h"
#include "win32_common/process.h"
#include "win32_common/system_error.h"
#include "win32_common/utf16.h"

namespace {

unsigned ClockSeed() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<unsigned>(counter.LowPart) ^ static_cast<unsigned>(counter.HighPart) ^
         now.dwLowDateTime ^ GetCurrentProcessId();
}

// Without a visible main window the box belongs to nobody and is centred on the screen.
HWND VisibleOrNull(HWND window) { return window && IsWindowVisible(window) ? window : nullptr; }

}  // namespace

SYSTEMTIME ToSystemTime(DateTime value) {
  const DateParts date = DecodeDate(value);
  const TimeParts time = DecodeTime(value);
  SYSTEMTIME result{};
  result.wYear = static_cast<WORD>(date.year);
  result.wMonth = static_cast<WORD>(date.month);
  result.wDay = static_cast<WORD>(date.day);
  // Day 0, 30 December 1899, was a Saturday.
  const auto days = static_cast<long long>(WholeDays(value));
  result.wDayOfWeek = static_cast<WORD>(((days + 6) % 7 + 7) % 7);
  result.wHour = static_cast<WORD>(time.hour);
  result.wMinute = static_cast<WORD>(time.minute);
  result.wSecond = static_cast<WORD>(time.second);
  result.wMilliseconds = static_cast<WORD>(time.millisecond);
  return result;
}

DateTime FromSystemTime(const SYSTEMTIME& time) {
  return WithTime(EncodeDate(time.wYear, time.wMonth, time.wDay),
                  EncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds));
}

TWin32Platform::TWin32Platform() : random_(ClockSeed()) {}

DateTime TWin32Platform::Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FromSystemTime(now);
}

bool TWin32Platform::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

IPlatform::LaunchResult TWin32Platform::ShellOpen(const std::string& program,
                                                  const std::string& parameters, bool wait) {
  const std::wstring file = Widen(program), arguments = Widen(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // An unattended waiting run must not stop at the shell's own error box.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | (wait ? SEE_MASK_FLAG_NO_UI : 0);
  info.hwnd = mainWindow_;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.c_str();
  info.nShow = SW_SHOW;
  // The archiver inherits this process's environment.
  SetEnvironmentVariableW(kLauncherWaitsVariable, wait ? L"1" : nullptr);
  if (!ShellExecuteExW(&info)) return {false, 0, SystemErrorText(GetLastError())};
  if (!info.hProcess) return {true, 0, {}};  // handed to a running program: nothing to wait for
  Handle process(info.hProcess);
  if (!wait) return {true, 0, {}};
  WaitResponsive(process.Get());
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return {true, static_cast<int>(exitCode), {}};
}

// The window paints, moves and answers while the archiver runs; a request to end is kept
// until the archiver has ended.
void TWin32Platform::WaitResponsive(HANDLE process) {
  bool quit = false;
  // Woken for the process's end, for input waiting in the queue, or by a failed wait.
  while (MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
         WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
      } else if (messageHandler_) {
        messageHandler_(message);
      } else {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  if (quit) PostQuitMessage(0);
}

void TWin32Platform::AppendRunLog(const std::string& record) {
  try {
    runlog::Win32Sink().Append(record);
  } catch (const std::runtime_error&) {
    // The window behaves as it always did; the archiver's own record still says how it went.
  }
}

void TWin32Platform::ReportEvent(int exitCode, const std::string& text) {
  runlog::Win32Sink(texts::AppTitle).Report(exitCode, text);
}

void TWin32Platform::ShowMessage(const std::string& text) {
  // Task-modal: the main window, when there is one, waits for the answer.
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), Widen(texts::AppTitle).c_str(),
              MB_OK | MB_TASKMODAL);
}

void TWin32Platform::ShowError(const std::string& text) {
  const HWND owner = VisibleOrNull(mainWindow_);
  MessageBoxW(owner, WideFromUtf8(text).c_str(), Widen(texts::AppTitle).c_str(),
              MB_OK | MB_ICONERROR | (owner ? 0u : static_cast<UINT>(MB_TASKMODAL)));
}

bool TWin32Platform::BrowseForFolder(const std::string& title, std::string& path) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // A drive that is not ready must not raise the system's own error box while browsing.
  const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  // The dialog is modal to the main window: the system disables it while the dialog is open
  // and enables it again before the dialog goes, so that the main window gets activated again.

  const std::wstring wideTitle = Widen(title);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = mainWindow_;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);

  SetErrorMode(errorMode);

  bool confirmed = false;
  if (chosen) {
    wchar_t folder[MAX_PATH] = {};
    // A folder whose name Windows-1252 cannot hold could not reach the archiver's command line.
    if (SHGetPathFromIDListW(chosen, folder)) {
      if (auto exact = NarrowExactly(folder)) {
        path = *exact;
        confirmed = true;
      }
    }
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return confirmed;
}

void TWin32Platform::Randomize() { random_.seed(ClockSeed()); }

int TWin32Platform::Random(int range) {
  if (range <= 1) return 0;
  return std::uniform_int_distribution<int>(0, range - 1)(random_);
}

void TWin32Platform::Terminate() { PostQuitMessage(0); }

void TWin32Platform::Halt() { ExitProcess(static_cast<UINT>(exitCode_)); }

std::string TWin32Platform::ExePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      buffer.resize(length);
      return Utf8FromWide(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::string> TWin32Platform::Arguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  if (!arguments) return result;
  for (int i = 1; i < count; ++i) result.push_back(NarrowExactly(arguments[i]).value_or(""));
  LocalFree(arguments);
  return result;
}
