#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "main/main.h"
#include "win32/widgets.h"

class TWin32Platform;

// The real window of TFMain: creates the controls, mirrors the form's state into them after
// every handler and turns the user's input into state updates and the form's handlers.
class TMainWindow {
 public:
  TMainWindow(TFMain& form, TWin32Platform& platform);
  ~TMainWindow();
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  // Creates the window, hidden, and its controls from the form's state.
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
  void Layout();
  void OnCommand(int id, int code);
  void OnNotify(const NMHDR& header);
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
  HFONT font_ = nullptr;
  HFONT passwordFont_ = nullptr;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HICON pwsaveIcon_ = nullptr;
  bool pushing_ = false;
  HWND lastFocus_ = nullptr;

  std::optional<std::string> caption_;
  std::optional<int> height_;

  ui::PushButton Start;
  ui::PushButton Ende;
  ui::StatusBar StatusBar1;
  ui::PushButton changepath;
  ui::Panel Panel1;
  ui::Panel Panel2;
  ui::GroupBox GroupBox1;
  ui::DateTimePicker Datum;
  ui::GroupBox kompbox;
  ui::DropDownList Komprimierung;
  ui::GroupBox GroupBox2;
  ui::DropDownList Archiv;
  ui::GroupBox GroupBox3;
  ui::GlyphButton pwsave;
  ui::PasswordEdit Passwort;
  ui::PasswordEdit Passwort2;
  ui::RadioGroup Ziel;
  ui::GroupBox Zeitbox;
  ui::RadioButton sofort;
  ui::RadioButton spaeter;
  ui::DateTimePicker Uhrzeit;
  ui::DateTimePicker Tag;
  ui::CheckBox StopProg;
  ui::Timer Timer1;
};
