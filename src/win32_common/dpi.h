#pragma once
// Win32 only: a window's DPI and sizes at a DPI, through the functions of newer systems where
// there are, so that the programs still start on older ones.
#include <windows.h>

// A function of user32 looked up by name; null where the system lacks it.
template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int DpiOf(HWND window);

// The outer size of a window of these styles with this client size at a DPI.
SIZE OuterSize(int clientWidth, int clientHeight, int dpi, DWORD style, DWORD exStyle);
