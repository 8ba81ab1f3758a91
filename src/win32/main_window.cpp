#include "win32/main_window.h"

#include <commctrl.h>

#include <type_traits>
#include <utility>
#include <variant>

#include "res/resource.h"
#include "win32/window_classes.h"
#include "win32/wide_text.h"
#include "win32/win32_platform.h"
#include "win32_common/dpi.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, newer than the headers' target

int IconSize(int metric, int dpi) {
  static const auto metricForDpi = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (metricForDpi) return metricForDpi(metric, static_cast<UINT>(dpi));
  return GetSystemMetrics(metric);
}

// 8 point at 96 DPI, for both faces.
HFONT MakeFont(const wchar_t* face, const ui::Scale& scale) {
  LOGFONTW font{};
  font.lfHeight = -scale(11);
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

void FreeLook(const ui::Look& look) {
  for (HFONT font : {look.font, look.passwordFont})
    if (font) DeleteObject(font);
  if (look.glyph) DestroyIcon(look.glyph);
}

// Calls visit with the row's state member, if it has one.
template <typename Visit>
void VisitState(const ControlRow& row, Visit visit) {
  std::visit(
      [&](auto member) {
        if constexpr (!std::is_same_v<decltype(member), std::monostate>) visit(member);
      },
      row.state);
}

template <typename Member>
using StateOf = std::remove_reference_t<decltype(std::declval<TFMain&>().*std::declval<Member>())>;

}  // namespace

TMainWindow::TMainWindow(TFMain& form, TWin32Platform& platform)
    : form_(form), platform_(platform), clientHeight_(kClientHeight) {}

TMainWindow::~TMainWindow() {
  if (window_) DestroyWindow(window_);
  FreeLook(look_);
  for (HICON icon : {icon_, smallIcon_})
    if (icon) DestroyIcon(icon);
}

void TMainWindow::Create() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ui::Instance();
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = DS_MAIN_CLASS;
  if (!RegisterClassExW(&windowClass)) ui::NotCreated("TFMain");
  ui::RegisterPanelClass();

  ui::Checked(CreateWindowExW(kExStyle, DS_MAIN_CLASS, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0,
                              0, nullptr, nullptr, ui::Instance(), this),
              "TFMain");
  platform_.SetMainWindow(window_);
  LoadLook(DpiOf(window_));
  CreateControls();
  SizeWindow();
}

// Creation order is tab order within each parent.
void TMainWindow::CreateControls() {
  for (const ControlRow& row : kControls) {
    HWND parent = row.parent == 0 ? window_ : WidgetOf(row.parent).Handle();
    const ControlRow* previous = widgets_.empty() ? nullptr : &kControls[widgets_.size() - 1];
    const bool startsGroup =
        !previous || previous->kind != row.kind || previous->parent != row.parent;
    std::unique_ptr<ui::Widget> widget = ui::MakeWidget(row.kind);
    VisitState(row, [&](auto member) {
      if (!dynamic_cast<ui::Mirror<StateOf<decltype(member)>>*>(widget.get()))
        ui::NotCreated(row.name);  // the row's kind does not fit its state
    });
    widget->Create(row, parent, startsGroup, look_);
    widgets_.push_back(std::move(widget));
  }
}

ui::Widget& TMainWindow::WidgetOf(int id) {
  const ControlRow* row = FindControl(id);
  return *widgets_.at(static_cast<size_t>(row - kControls));
}

// Fonts and pictures for a DPI.
void TMainWindow::LoadLook(int dpi) {
  const ui::Scale scale{dpi};
  look_ = {scale, MakeFont(L"MS Sans Serif", scale), MakeFont(L"Arial", scale),
           LoadIconSized(IDI_PWSAVE, scale(16))};
  icon_ = LoadIconSized(IDI_APP, IconSize(SM_CXICON, dpi));
  smallIcon_ = LoadIconSized(IDI_APP, IconSize(SM_CXSMICON, dpi));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

// Everything anew for another DPI; the old fonts and pictures go once nothing uses them.
void TMainWindow::ApplyDpi(int dpi) {
  const ui::Look old = look_;
  const HICON oldIcons[] = {icon_, smallIcon_};
  LoadLook(dpi);
  for (size_t i = 0; i < widgets_.size(); ++i) {
    widgets_[i]->ApplyLook(look_);
    widgets_[i]->Place(kControls[i].bounds, look_.scale);
  }
  Layout();
  FreeLook(old);
  for (HICON icon : oldIcons) DestroyIcon(icon);
}

// The client area is the 96-DPI one scaled.
void TMainWindow::SizeWindow() {
  const ui::Scale& s = look_.scale;
  const SIZE outer = OuterSize(s(kClientWidth), s(clientHeight_), s.dpi, kStyle, kExStyle);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

// The status bar is docked at the bottom and Panel1 fills the height above it; everything
// else keeps its place.
void TMainWindow::Layout() {
  if (widgets_.empty()) return;
  const ui::Scale& s = look_.scale;
  RECT client;
  GetClientRect(window_, &client);
  const int statusHeight = s(clientHeight_) - s(clientHeight_ - kStatusHeight);
  const int statusTop = client.bottom - statusHeight;
  SetWindowPos(WidgetOf(ID_StatusBar1).Handle(), nullptr, 0, statusTop, client.right, statusHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(WidgetOf(ID_Panel1).Handle(), nullptr, 0, 0, s(FindControl(ID_Panel1)->bounds.width),
               statusTop, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainWindow::Run(TFMain::Handler handler) {
  if (handler) form_.Dispatch(handler);
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
    // The form gives the outer height at 96 DPI.
    height_ = f.Height;
    clientHeight_ = f.Height - (OuterSize(kClientWidth, 0, 96, kStyle, kExStyle).cy);
    SizeWindow();
  }
  for (size_t i = 0; i < widgets_.size(); ++i)
    VisitState(kControls[i], [&](auto member) {
      static_cast<ui::Mirror<StateOf<decltype(member)>>&>(*widgets_[i]).Push(f.*member);
    });
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
  for (const ControlRow& row : kControls) {
    if (row.kind != ControlKind::PushButton) continue;
    HWND button = WidgetOf(row.id).Handle();
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
      if (!pushing_) OnInput(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (!pushing_) OnInput(static_cast<int>(header.idFrom), header.code);
      return 0;
    }
    case kDpiChanged:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1) Run(&TFMain::Timer1Timer);
      return 0;
    case WM_CLOSE:
      // Close box, system menu and Alt+F4 end the tool like "Abbruch"; the loop ends it.
      Run(&TFMain::EndeClick);
      return 0;
    case WM_SIZE: Layout(); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
    case DM_GETDEFID: return MAKELRESULT(DefaultButtonId(), DC_HASDEFID);
    case WM_NEXTDLGCTL: MoveFocus(wParam, lParam != 0); return 0;
    case WM_DESTROY: SetWindowLongPtrW(window_, GWLP_USERDATA, 0); return 0;
    default: return DefWindowProcW(window_, message, wParam, lParam);
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

// User input reaches the logic one way: the control's state takes what the user did, then
// the control's handler runs. Enter and Esc report a click of "Starten" and "Abbruch" even
// when these are disabled or hidden; such a click is nobody's.
void TMainWindow::OnInput(int id, UINT code) {
  for (size_t i = 0; i < widgets_.size(); ++i) {
    ui::Widget& widget = *widgets_[i];
    if (!widget.Owns(id)) continue;
    if (!widget.IsInput(code)) return;
    bool taken = false;
    VisitState(kControls[i], [&](auto member) {
      using State = StateOf<decltype(member)>;
      State& state = form_.*member;
      if constexpr (std::is_base_of_v<TControl, State>)
        if ((id == IDOK || id == IDCANCEL) && (!state.Enabled || !state.Visible)) return;
      static_cast<ui::Mirror<State>&>(widget).Pull(state, id);
      taken = true;
    });
    if (taken) Run(kControls[i].event);
    return;
  }
}

// Moved to a monitor with another DPI: the system's rectangle, then everything inside anew.
void TMainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpi(dpi);
}
