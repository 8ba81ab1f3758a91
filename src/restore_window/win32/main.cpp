// Wiederherstellen.exe: the restore window over dszip's engine.
#include <windows.h>

#include <commctrl.h>

#include "restore_window/restore_form.h"
#include "restore_window/texts.h"
#include "restore_window/win32/restore_window.h"
#include "restore_window/win32/window_platform.h"
#include "win32_common/utf16.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX commonControls{
      sizeof(commonControls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                  ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&commonControls);
  restore_window::WindowPlatform platform;
  restore_window::RestoreForm form(platform);
  restore_window::RestoreWindow window(form, platform);
  try {
    window.Create();
    window.Start();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, WideFromUtf8(error.what()).c_str(),
                WideFromUtf8(restore_window::texts::AppTitle).c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) window.Process(message);
  return 0;
}
