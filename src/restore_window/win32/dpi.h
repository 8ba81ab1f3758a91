#pragma once
// The DPI of a window, through the function of newer systems where there is one.
#include <windows.h>

namespace restore_window {

template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

inline int DpiOf(HWND window) {
  static const auto getDpi = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpi) return static_cast<int>(getDpi(window));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace restore_window
