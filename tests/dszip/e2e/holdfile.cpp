// Holds a file open with share mode 0, as a virus scanner or a sync client may do during a
// backup: nobody else can open it meanwhile. The file is HOLD_FILE; holdfile creates
// "<file>.gehalten" once it holds it and lets go when "<file>.frei" appears or HOLD_SECONDS
// (default 60) have passed. Exit code 0, or 1 when the file could not be opened.
#include <windows.h>

#include <cwchar>
#include <string>

static std::wstring Variable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

int main() {
  const std::wstring path = Variable(L"HOLD_FILE");
  const std::wstring seconds = Variable(L"HOLD_SECONDS");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE held = CreateFileW((path + L".gehalten").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  const DWORD limit =
      (seconds.empty() ? 60 : static_cast<DWORD>(std::wcstoul(seconds.c_str(), nullptr, 10))) * 10;
  for (DWORD tick = 0; tick < limit; ++tick) {
    if (GetFileAttributesW((path + L".frei").c_str()) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(100);
  }
  CloseHandle(file);
  return 0;
}
