#include "win32_common/dpi.h"

int DpiOf(HWND window) {
  static const auto getDpi = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpi) return static_cast<int>(getDpi(window));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

SIZE OuterSize(int clientWidth, int clientHeight, int dpi, DWORD style, DWORD exStyle) {
  static const auto adjustForDpi =
      User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT outer{0, 0, clientWidth, clientHeight};
  if (adjustForDpi)
    adjustForDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  return {outer.right - outer.left, outer.bottom - outer.top};
}
