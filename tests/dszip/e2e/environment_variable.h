#pragma once
// The helper programs of the Wine tests take their orders from environment variables: Wine
// passes them through unchanged, unlike a command line it would quote anew.
#include <windows.h>

#include <string>

inline std::wstring Variable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}
