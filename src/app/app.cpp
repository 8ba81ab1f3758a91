// Program entry: the window's logic over the real window and the real operating system.
#include <windows.h>

#include <commctrl.h>

#include "core/error.h"
#include "window_logic/tfmain.h"
#include "win32/main_window.h"
#include "win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX commonControls{sizeof(commonControls),
                                      ICC_STANDARD_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&commonControls);

  TWin32Platform platform;
  TFMain form(platform);
  TMainWindow window(form, platform);
  platform.SetMessageHandler([&window](MSG& message) { window.ProcessMessage(message); });

  // The start-up sequence runs before the window is shown; its version gate may end the
  // process right here.
  try {
    window.Create();
  } catch (const EError& error) {
    form.WindowFailed(error.Shown());
    return platform.ExitCode();
  }
  window.Run(&TFMain::FormCreate);
  window.CenterOnScreen();
  window.Show();
  window.Run(&TFMain::FormShow);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) window.ProcessMessage(message);
  // Every write has reached the settings file by now. The system takes the window down with
  // the process; destroying it first saves nothing and, under Wine, costs about two seconds.
  ExitProcess(static_cast<UINT>(platform.ExitCode()));
}
