#include "win32/main_window.h"

#include <commctrl.h>

#include "res/resource.h"
#include "win32/control_ids.h"
#include "win32/wide_text.h"
#include "win32/win32_platform.h"

namespace {

constexpr int kClientWidth = 412;
constexpr int kClientHeight = 220;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr UINT_PTR kTimer1 = 1;

// Docked panels: Panel1 on the left above the status bar, Panel2 and GroupBox3 at its top.
constexpr int kPanel1Width = 316;
constexpr int kPanel2Height = 46;
constexpr int kGroupBox3Height = 65;

HFONT MakeFont(const wchar_t* face) {
  LOGFONTW font{};
  font.lfHeight = -11;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(
      LoadImageW(ui::Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

TMainWindow::TMainWindow(TFMain& form, TWin32Platform& platform)
    : form_(form), platform_(platform) {}

TMainWindow::~TMainWindow() {
  if (window_) DestroyWindow(window_);
  for (HICON icon : {icon_, smallIcon_, pwsaveIcon_})
    if (icon) DestroyIcon(icon);
  for (HFONT font : {font_, passwordFont_})
    if (font) DeleteObject(font);
}

void TMainWindow::Create() {
  font_ = MakeFont(L"MS Sans Serif");
  passwordFont_ = MakeFont(L"Arial");
  icon_ = LoadIconSized(IDI_APP, GetSystemMetrics(SM_CXICON));
  smallIcon_ = LoadIconSized(IDI_APP, GetSystemMetrics(SM_CXSMICON));
  pwsaveIcon_ = LoadIconSized(IDI_PWSAVE, 16);

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ui::Instance();
  windowClass.hIcon = icon_;
  windowClass.hIconSm = smallIcon_;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = DS_MAIN_CLASS;
  RegisterClassExW(&windowClass);
  ui::RegisterPanelClass();

  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  CreateWindowExW(kExStyle, DS_MAIN_CLASS, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                  ui::Instance(), this);
  platform_.SetMainWindow(window_);
  CreateControls();
  Layout();
  Push();
}

// Creation order is tab order within each parent.
void TMainWindow::CreateControls() {
  using Kind = ui::DateTimePicker::Kind;
  Start.Create(window_, ID_Start, {330, 10, 75, 25}, font_, true);
  Ende.Create(window_, ID_Ende, {330, 40, 75, 25}, font_, false);
  StatusBar1.Create(window_, ID_StatusBar1, font_);
  changepath.Create(window_, ID_changepath, {330, 75, 75, 25}, font_, false);
  Panel1.Create(window_, ID_Panel1, {0, 0, kPanel1Width, kClientHeight - ui::StatusBar::kHeight},
                font_);
  Panel2.Create(Panel1.Handle(), ID_Panel2, {0, 0, kPanel1Width, kPanel2Height}, font_);
  GroupBox1.Create(Panel2.Handle(), ID_GroupBox1, {0, 0, 105, 41}, font_);
  Datum.Create(GroupBox1.Handle(), ID_Datum, {5, 15, 96, 21}, font_, Kind::Date);
  kompbox.Create(Panel2.Handle(), ID_kompbox, {106, 0, 105, 41}, font_);
  Komprimierung.Create(kompbox.Handle(), ID_Komprimierung, {5, 15, 96, 21}, font_);
  GroupBox2.Create(Panel2.Handle(), ID_GroupBox2, {211, 0, 105, 41}, font_);
  Archiv.Create(GroupBox2.Handle(), ID_Archiv, {5, 15, 96, 21}, font_);
  GroupBox3.Create(Panel1.Handle(), ID_GroupBox3,
                   {0, kPanel2Height, kPanel1Width, kGroupBox3Height}, font_);
  pwsave.Create(GroupBox3.Handle(), ID_pwsave, {270, 40, 23, 22}, font_, pwsaveIcon_);
  Passwort.Create(GroupBox3.Handle(), ID_Passwort, {5, 15, 256, 22}, passwordFont_);
  Passwort2.Create(GroupBox3.Handle(), ID_Passwort2, {5, 40, 256, 22}, passwordFont_);
  Ziel.Create(Panel1.Handle(), ID_Ziel, ID_ZielItem0, {0, 115, 116, form_.Ziel.Height}, font_);
  Zeitbox.Create(Panel1.Handle(), ID_Zeitbox, {120, 115, 176, 61}, font_);
  sofort.Create(Zeitbox.Handle(), ID_sofort, {10, 15, 60, 17}, font_, true);
  spaeter.Create(Zeitbox.Handle(), ID_spaeter, {85, 15, 60, 17}, font_, false);
  Uhrzeit.Create(Zeitbox.Handle(), ID_Uhrzeit, {90, 35, 81, 21}, font_, Kind::Time);
  Tag.Create(Zeitbox.Handle(), ID_Tag, {10, 35, 81, 21}, font_, Kind::Date);
  StopProg.Create(Panel1.Handle(), ID_StopProg, {125, 177, 161, 24}, font_);
}

// Panel1 fills the height above the status bar; everything else keeps its place.
void TMainWindow::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  StatusBar1.Place(client.right, client.bottom);
  Panel1.Place({0, 0, kPanel1Width, client.bottom - ui::StatusBar::kHeight});
}

void TMainWindow::Run(TFMain::Handler handler) {
  form_.Dispatch(handler);
  Push();
}

void TMainWindow::Push() {
  // Pushing makes some controls report changes; those are not the user's.
  const bool wasPushing = pushing_;
  pushing_ = true;
  const TFMain& f = form_;
  if (caption_ != f.Caption) {
    caption_ = f.Caption;
    SetWindowTextW(window_, Widen(f.Caption).c_str());
  }
  if (f.Height != 0 && height_ != f.Height) {
    height_ = f.Height;
    RECT outer;
    GetWindowRect(window_, &outer);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, f.Height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Start.Push(f.Start);
  Ende.Push(f.Ende);
  StatusBar1.Push(f.StatusBar1);
  changepath.Push(f.changepath);
  GroupBox1.Push(f.GroupBox1);
  Datum.Push(f.Datum);
  kompbox.Push(f.kompbox);
  Komprimierung.Push(f.Komprimierung);
  GroupBox2.Push(f.GroupBox2);
  Archiv.Push(f.Archiv);
  GroupBox3.Push(f.GroupBox3);
  pwsave.Push(f.pwsave);
  Passwort.Push(f.Passwort);
  Passwort2.Push(f.Passwort2);
  Ziel.Push(f.Ziel);
  Zeitbox.Push(f.Zeitbox);
  sofort.Push(f.sofort);
  spaeter.Push(f.spaeter);
  Uhrzeit.Push(f.Uhrzeit);
  Tag.Push(f.Tag);
  StopProg.Push(f.StopProg);
  Timer1.Push(window_, kTimer1, f.Timer1);
  KeepFocusUsable();
  pushing_ = wasPushing;
}

void TMainWindow::CenterOnScreen() {
  RECT outer;
  GetWindowRect(window_, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainWindow::Show() {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  if (!lastFocus_) FocusFirstControl();
}

void TMainWindow::FocusFirstControl() {
  HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
  SetFocus(first && IsUsable(first) ? first : window_);
}

void TMainWindow::ProcessMessage(MSG& message) {
  if (!IsDialogMessageW(window_, &message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  ShowDefaultButton();
}

// Enabled and visible, and so are all of its parents up to the window.
bool TMainWindow::IsUsable(HWND control) const {
  for (HWND w = control; w && w != window_; w = GetParent(w))
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
  return control != nullptr;
}

// A focused control that gets disabled or hidden leaves the window without focus, and then
// keys arrive as system keys that the dialog keys (Esc above all) do not see.
void TMainWindow::KeepFocusUsable() {
  if (GetActiveWindow() != window_) return;
  HWND focus = GetFocus();
  if (focus == window_ || IsUsable(focus)) return;
  FocusFirstControl();
}

// The push button that Enter acts on shows it: the focused one, otherwise "Starten".
void TMainWindow::ShowDefaultButton() {
  const int defaultId = DefaultButtonId();
  for (HWND button : {Start.Handle(), Ende.Handle(), changepath.Handle()}) {
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    const bool wanted = GetDlgCtrlID(button) == defaultId;
    if (isDefault != wanted)
      SendMessageW(button, BM_SETSTYLE, wanted ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

// Enter acts on the focused push button, otherwise on "Starten".
int TMainWindow::DefaultButtonId() {
  HWND focus = GetFocus();
  if (focus && IsChild(window_, focus) &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    return GetDlgCtrlID(focus);
  return ID_Start;
}

LRESULT CALLBACK TMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TMainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT TMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (!pushing_) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (!pushing_) OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1) Run(&TFMain::Timer1Timer);
      return 0;
    case WM_CLOSE:
      // Close box, system menu and Alt+F4 end the tool like "Abbruch"; the loop ends it.
      Run(&TFMain::EndeClick);
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(DefaultButtonId(), DC_HASDEFID);
    case WM_NEXTDLGCTL:
      MoveFocus(wParam, lParam != 0);
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

// The dialog keys move the focus with this message: to the given control, or to the next or
// previous one in tab order.
void TMainWindow::MoveFocus(WPARAM which, bool isControl) {
  HWND next = isControl ? reinterpret_cast<HWND>(which)
                        : GetNextDlgTabItem(window_, GetFocus(), which != 0);
  if (next) SetFocus(next);
}

// Focus goes back where it was when the window is activated again.
void TMainWindow::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(window_, focus)) lastFocus_ = focus;
    return;
  }
  if (IsWindow(lastFocus_) && IsUsable(lastFocus_))
    SetFocus(lastFocus_);
  else
    FocusFirstControl();
}

void TMainWindow::OnCommand(int id, int code) {
  switch (id) {
    case ID_Start:  // also Enter
      if (code == BN_CLICKED && form_.Start.Enabled && form_.Start.Visible)
        Run(&TFMain::StartClick);
      return;
    case ID_Ende:  // also Esc
      if (code == BN_CLICKED && form_.Ende.Enabled && form_.Ende.Visible) Run(&TFMain::EndeClick);
      return;
    case ID_changepath:
      if (code == BN_CLICKED) Run(&TFMain::changepathClick);
      return;
    case ID_pwsave:
      if (code == BN_CLICKED) Run(&TFMain::pwsaveClick);
      return;
    case ID_sofort:
      if (code == BN_CLICKED) Run(&TFMain::UserSelectsSofort);
      return;
    case ID_spaeter:
      if (code == BN_CLICKED) Run(&TFMain::UserSelectsSpaeter);
      return;
    case ID_StopProg:
      if (code == BN_CLICKED) StopProg.Pull(form_.StopProg);
      break;
    case ID_Komprimierung:
      if (code == CBN_SELCHANGE) Komprimierung.Pull(form_.Komprimierung);
      break;
    case ID_Archiv:
      if (code == CBN_SELCHANGE) Archiv.Pull(form_.Archiv);
      break;
    case ID_Passwort:
      if (code == EN_CHANGE) form_.UserEditsPassword(form_.Passwort, Passwort.Pull());
      break;
    case ID_Passwort2:
      if (code == EN_CHANGE) form_.UserEditsPassword(form_.Passwort2, Passwort2.Pull());
      break;
    default:
      if (code == BN_CLICKED && Ziel.OwnsItem(id)) Ziel.Pull(id, form_.Ziel);
      break;
  }
  Push();
}

void TMainWindow::OnNotify(const NMHDR& header) {
  if (header.code != DTN_DATETIMECHANGE) return;
  switch (header.idFrom) {
    case ID_Datum:
      Datum.Pull(form_.Datum);
      break;
    case ID_Uhrzeit:
      Uhrzeit.Pull(form_.Uhrzeit);
      break;
    case ID_Tag:
      Tag.Pull(form_.Tag);
      break;
    default:
      return;
  }
  Push();
}
