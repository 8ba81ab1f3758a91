// Starts RAWRUN_PROGRAM with RAWRUN_LINE as its command line, byte for byte, so that a test
// can hand over exactly what a parameter template produces (Wine re-quotes the arguments it
// is given itself). Handles are inherited. Returns the program's exit code; after
// RAWRUN_SECONDS (default 120) it ends the program and returns 124.
#include <windows.h>

#include <cwchar>
#include <string>

#include "environment_variable.h"

int main() {
  const std::wstring program = Variable(L"RAWRUN_PROGRAM");
  std::wstring line = L"\"" + program + L"\" " + Variable(L"RAWRUN_LINE");
  const std::wstring seconds = Variable(L"RAWRUN_SECONDS");
  const DWORD limit =
      seconds.empty() ? 120 : static_cast<DWORD>(std::wcstoul(seconds.c_str(), nullptr, 10));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process))
    return 125;
  if (WaitForSingleObject(process.hProcess, limit * 1000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 124);
    WaitForSingleObject(process.hProcess, 10000);
    return 124;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}
