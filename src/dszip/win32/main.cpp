// dszip.exe: the console, Ctrl+C and the closing of the window; everything else is the logic.
#include <windows.h>

#include <atomic>
#include <optional>

#include "dszip/command_line.h"
#include "dszip/program.h"
#include "dszip/texts.h"
#include "engine/win32/cng_crypto.h"
#include "engine/win32/win32_file_system.h"
#include "runlog/run_log_win32.h"
#include "win32_common/process.h"
#include "win32_common/utf16.h"

// The sources' wildcards are ours to expand: no globbing by the C runtime.
extern "C" {
int _dowildcard = 0;  // NOLINT(bugprone-reserved-identifier)
}

namespace {

std::atomic<bool> g_cancelled{false};
HANDLE g_finished = nullptr;

// Ctrl+C stops the run; closing the window also waits (boundedly) until the temporary file
// is gone, because the process ends as soon as this returns.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  g_cancelled = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    WaitForSingleObject(g_finished, 4000);
  return TRUE;
}

class Win32Console : public dszip::Console {
 public:
  Win32Console() : out_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    DWORD mode = 0;
    attached_ = GetConsoleMode(out_, &mode) != 0;
  }
  bool Attached() const { return attached_; }

  void Progress(const std::string& line) override {
    if (!attached_) return;  // a redirected output gets the lines that stay, not the updates
    std::wstring text = WideFromUtf8(line);
    const size_t length = text.size();
    if (length < shown_) text.append(shown_ - length, L' ');
    // An emptied line leaves the cursor at its start, where the next line is to begin.
    Write(L"\r" + text + (length == 0 ? L"\r" : L""));
    shown_ = length;
  }

  void Line(const std::string& text) override {
    if (shown_ > 0) Write(L"\r" + std::wstring(shown_, L' ') + L"\r");
    shown_ = 0;
    Write(WideFromUtf8(text) + L"\r\n");
  }

  // Keeps the window open after an error or a warning until a key or 60 seconds; after an
  // archive dropped on the program until a key, so that the user sees the result.
  void WaitForKey(bool withoutTimeout = false) {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!attached_ || !GetConsoleMode(in, &mode)) return;
    Line(withoutTimeout ? dszip::texts::PressKeyToClose : dszip::texts::PressKey);
    FlushConsoleInputBuffer(in);
    const ULONGLONG deadline = withoutTimeout ? ~0ull : GetTickCount64() + 60000;
    for (ULONGLONG now = GetTickCount64(); now < deadline && !g_cancelled; now = GetTickCount64()) {
      const DWORD wait = withoutTimeout ? INFINITE : static_cast<DWORD>(deadline - now);
      if (WaitForSingleObject(in, wait) != WAIT_OBJECT_0) return;
      INPUT_RECORD record;
      DWORD read = 0;
      if (!ReadConsoleInputW(in, &record, 1, &read)) return;
      if (read == 1 && record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
  }

  // Restoring: the password typed without echo; nothing without a console to type into.
  std::optional<std::string> AskPassword(const std::string& prompt) override {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!attached_ || !GetConsoleMode(in, &mode)) return std::nullopt;
    Progress("");
    Write(WideFromUtf8(prompt));
    SetConsoleMode(in, (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT);
    std::wstring typed;
    wchar_t buffer[256];
    DWORD read = 0;
    while (typed.find(L'\n') == std::wstring::npos && !g_cancelled &&
           ReadConsoleW(in, buffer, 256, &read, nullptr) && read > 0)
      typed.append(buffer, read);
    SetConsoleMode(in, mode);
    Write(L"\r\n");
    typed = typed.substr(0, typed.find_first_of(L"\r\n"));
    if (g_cancelled) return std::nullopt;
    return Utf8FromWide(typed);
  }

 private:
  void Write(const std::wstring& text) {
    DWORD written = 0;
    if (attached_) {
      WriteConsoleW(out_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
      const std::string utf8 = Utf8FromWide(text);
      WriteFile(out_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
  }

  HANDLE out_;
  bool attached_ = false;
  size_t shown_ = 0;
};

// Started on its own (a double-click), not from a prompt: the window closes when dszip ends.
bool OwnsConsole() {
  DWORD processes[2];
  return GetConsoleProcessList(processes, 2) == 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8FromWide(argv[i]));

  Win32Console console;
  int exitCode = dszip::kExitFatal;
  try {
    dszip::Win32FileSystem fs;
    dszip::CngCrypto crypto;
    runlog::Win32Sink verdicts;
    exitCode = dszip::RunDszip(arguments, fs, crypto, console, g_cancelled, verdicts);
  } catch (const std::exception& error) {
    console.Line(error.what());
  }
  SetEvent(g_finished);
  // After a warning only a person who started dszip can answer; a waiting launcher cannot.
  const bool dropped = dszip::IsDroppedArchive(arguments);
  const bool unattended = GetEnvironmentVariableW(kLauncherWaitsVariable, nullptr, 0) > 0;
  const bool helpInOwnWindow = dszip::IsHelpRequest(arguments) && OwnsConsole();
  if (dropped || helpInOwnWindow ||
      (!unattended && exitCode != dszip::kExitOk && exitCode != dszip::kExitInterrupted))
    console.WaitForKey(dropped);
  return exitCode;
}
