#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window_logic/tfmain.h"
#include "win32/widgets.h"

class TWin32Platform;

// The real window of TFMain: creates the controls of the control table, mirrors the form's
// state into them after every handler and turns the user's input into state updates and the
// form's handlers. Every size scales with the window's DPI.
class TMainWindow {
 public:
  TMainWindow(TFMain& form, TWin32Platform& platform);
  ~TMainWindow();
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  // Creates the window, hidden, and its controls; running the start-up handler then mirrors
  // the form's state into them. Raises an error when a window cannot be created.
  void Create();

  // Runs a handler of the form (errors are shown by the form) and mirrors the outcome.
  void Run(TFMain::Handler handler);
  // Mirrors what changed in the form's state since the last push into the window.
  void Push();

  void CenterOnScreen();
  void Show();
  // One message of the loop: Tab, arrows, Enter (Starten) and Esc (Abbruch) as in a dialog
  // box, everything else as usual.
  void ProcessMessage(MSG& message);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void LoadLook(int dpi);
  void ApplyDpi(int dpi);
  void SizeWindow();
  void Layout();
  ui::Widget& WidgetOf(int id);
  void OnInput(int id, UINT code);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnActivate(bool active);
  void MoveFocus(WPARAM which, bool isControl);
  void FocusFirstControl();
  void KeepFocusUsable();
  bool IsUsable(HWND control) const;
  int DefaultButtonId();
  void ShowDefaultButton();

  TFMain& form_;
  TWin32Platform& platform_;
  HWND window_ = nullptr;
  ui::Look look_;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool pushing_ = false;
  HWND lastFocus_ = nullptr;
  // The client area's height at 96 DPI; start-up sets it through the form's outer height.
  int clientHeight_;

  std::optional<std::string> caption_;
  std::optional<int> height_;

  std::vector<std::unique_ptr<ui::Widget>> widgets_;  // one per row of kControls
  ui::Timer Timer1;
};
