#include "win32/widgets.h"

#include <commctrl.h>

#include "win32/control_ids.h"
#include "win32/wide_text.h"
#include "win32/win32_platform.h"

namespace ui {

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(window, message, wParam, lParam);
}

// Messages a child sends to its parent that the main window answers for every container.
bool IsForwarded(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
      return true;
    default:
      return false;
  }
}

LRESULT ForwardToMainWindow(HWND container, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(GetAncestor(container, GA_ROOT), message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsForwarded(message)) return ForwardToMainWindow(window, message, wParam, lParam);
  switch (message) {
    // A panel keeps the font it is given, like every other control of the window.
    case WM_SETFONT:
      SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrW(window, GWLP_USERDATA);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Group boxes serve as real parents of their controls.
LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (IsForwarded(message)) return ForwardToMainWindow(window, message, wParam, lParam);
  switch (message) {
    case WM_NCHITTEST:
      // A group box is transparent to the mouse by default, which would hide its children.
      return HTCLIENT;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      // A click beside the children hits nothing, as it would on the frame of a panel.
      return 0;
    case WM_ERASEBKGND: {
      // With its children clipped the frame is all the box paints; fill the rest ourselves.
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return DefSubclassProc(window, message, wParam, lParam);
  }
}

// A picture button that is clicked but never takes the focus: it hands the focus straight
// back, so that Enter afterwards still means "Starten".
LRESULT CALLBACK GlyphButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
  if (message == WM_SETFOCUS) {
    HWND previous = reinterpret_cast<HWND>(wParam);
    if (previous && IsWindow(previous) && previous != window) SetFocus(previous);
    return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

HWND CreateControl(const wchar_t* windowClass, HWND parent, int id, DWORD style, DWORD exStyle,
                   Bounds bounds, HFONT font) {
  HWND window =
      CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | style, bounds.left, bounds.top,
                      bounds.width, bounds.height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
  if (font) Send(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return window;
}

void SetText(HWND window, const std::string& text) { SetWindowTextW(window, Widen(text).c_str()); }

std::string GetText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length));
  return Narrow(text);
}

void SetCheck(HWND window, bool checked) {
  Send(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(HWND window) { return Send(window, BM_GETCHECK) == BST_CHECKED; }

int FontHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return metrics.tmHeight;
}

// Only what differs from the last push reaches the window.
template <typename T>
bool Changed(std::optional<T>& last, const T& now) {
  if (last && *last == now) return false;
  last = now;
  return true;
}

}  // namespace

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterPanelClass() {
  WNDCLASSW panel{};
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = Instance();
  panel.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  panel.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  panel.lpszClassName = DS_PANEL_CLASS;
  RegisterClassW(&panel);
}

// --- Widget

void Widget::CreateChild(const wchar_t* windowClass, HWND parent, int id, DWORD style,
                         DWORD exStyle, Bounds bounds, HFONT font) {
  window_ = CreateControl(windowClass, parent, id, style, exStyle, bounds, font);
}

void Widget::PushEnabledVisible(const TControl& state) {
  if (Changed(enabled_, state.Enabled)) EnableWindow(window_, state.Enabled ? TRUE : FALSE);
  if (Changed(visible_, state.Visible)) ShowWindow(window_, state.Visible ? SW_SHOW : SW_HIDE);
}

void Widget::PushCaption(const std::string& caption) {
  if (Changed(caption_, caption)) SetText(window_, caption);
}

// --- PushButton

void PushButton::Create(HWND parent, int id, Bounds bounds, HFONT font, bool isDefault) {
  const DWORD kind = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  CreateChild(L"BUTTON", parent, id, kind | WS_TABSTOP | WS_GROUP, 0, bounds, font);
}

void PushButton::Push(const TButton& state) {
  PushCaption(state.Caption);
  PushEnabledVisible(state);
}

// --- GlyphButton

void GlyphButton::Create(HWND parent, int id, Bounds bounds, HFONT font, HICON picture) {
  CreateChild(L"BUTTON", parent, id, BS_PUSHBUTTON | BS_ICON | BS_FLAT, 0, bounds, font);
  Send(window_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(picture));
  SetWindowSubclass(window_, GlyphButtonProc, 1, 0);
}

void GlyphButton::Push(const TButton& state) { PushEnabledVisible(state); }

// --- CheckBox

void CheckBox::Create(HWND parent, int id, Bounds bounds, HFONT font) {
  CreateChild(L"BUTTON", parent, id, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, bounds, font);
}

void CheckBox::Push(const TCheckBox& state) {
  PushCaption(state.Caption);
  if (Changed(checked_, state.Checked)) SetCheck(window_, state.Checked);
  PushEnabledVisible(state);
}

void CheckBox::Pull(TCheckBox& state) {
  state.Checked = IsChecked(window_);
  checked_ = state.Checked;
}

// --- RadioButton

void RadioButton::Create(HWND parent, int id, Bounds bounds, HFONT font, bool startsGroup) {
  // A ticked radio button is the group's tab stop; BM_SETCHECK moves WS_TABSTOP along.
  CreateChild(L"BUTTON", parent, id, BS_RADIOBUTTON | (startsGroup ? WS_GROUP : 0), 0, bounds,
              font);
}

void RadioButton::Push(const TRadioButton& state) {
  PushCaption(state.Caption);
  if (Changed(checked_, state.Checked)) SetCheck(window_, state.Checked);
  PushEnabledVisible(state);
}

// --- GroupBox

void GroupBox::Create(HWND parent, int id, Bounds bounds, HFONT font) {
  CreateChild(L"BUTTON", parent, id, BS_GROUPBOX | WS_GROUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
              bounds, font);
  SetWindowSubclass(window_, GroupBoxProc, 1, 0);
}

void GroupBox::Push(const TGroupBox& state) {
  PushCaption(state.Caption);
  PushEnabledVisible(state);
}

// --- Panel

void Panel::Create(HWND parent, int id, Bounds bounds, HFONT font) {
  CreateChild(DS_PANEL_CLASS, parent, id, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, bounds,
              font);
}

void Panel::Place(Bounds bounds) {
  SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- DropDownList

void DropDownList::Create(HWND parent, int id, Bounds bounds, HFONT font) {
  // The window's height includes the opened list; the closed box takes its height from the
  // height of the selection field, which is tuned to give the closed box the wanted height.
  Bounds withList = bounds;
  withList.height = bounds.height + 8 * 14;
  CreateChild(L"COMBOBOX", parent, id, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0,
              withList, font);
  // Some versions report the field's height with a padding that setting it does not take,
  // so the correction is measured once more.
  LRESULT fieldHeight = Send(window_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1));
  for (int attempt = 0; attempt < 2; ++attempt) {
    RECT closed;
    GetWindowRect(window_, &closed);
    const LRESULT excess = (closed.bottom - closed.top) - bounds.height;
    if (excess == 0 || fieldHeight <= excess) break;
    fieldHeight -= excess;
    Send(window_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight);
  }
}

void DropDownList::Push(const TComboBox& state) {
  if (Changed(items_, state.Items)) {
    Send(window_, CB_RESETCONTENT);
    for (const std::string& item : state.Items)
      Send(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    itemIndex_.reset();
  }
  if (Changed(itemIndex_, state.ItemIndex))
    Send(window_, CB_SETCURSEL, static_cast<WPARAM>(state.ItemIndex));
  PushEnabledVisible(state);
}

void DropDownList::Pull(TComboBox& state) {
  state.ItemIndex = static_cast<int>(Send(window_, CB_GETCURSEL));
  itemIndex_ = state.ItemIndex;
}

// --- PasswordEdit

void PasswordEdit::Create(HWND parent, int id, Bounds bounds, HFONT font) {
  CreateChild(L"EDIT", parent, id, ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
              WS_EX_CLIENTEDGE, bounds, font);
  Send(window_, EM_SETPASSWORDCHAR, 0x2022);  // "•"
  Send(window_, EM_SETLIMITTEXT, 0);          // no limit beyond the system's own
}

void PasswordEdit::Push(const TEdit& state) {
  if (Changed(text_, state.Text)) SetText(window_, state.Text);
  PushEnabledVisible(state);
}

std::string PasswordEdit::Pull() {
  text_ = GetText(window_);
  return *text_;
}

// --- DateTimePicker

void DateTimePicker::Create(HWND parent, int id, Bounds bounds, HFONT font, Kind kind) {
  const DWORD style = kind == Kind::Date ? DTS_SHORTDATEFORMAT : DTS_TIMEFORMAT;
  CreateChild(DATETIMEPICK_CLASSW, parent, id, style | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
              bounds, font);
  // The German forms, whatever the regional settings of the machine.
  const wchar_t* format = kind == Kind::Date ? L"dd.MM.yyyy" : L"HH:mm:ss";
  Send(window_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
}

void DateTimePicker::Push(const TDateTimePicker& state) {
  if (Changed(value_, state.Value)) {
    SYSTEMTIME time = ToSystemTime(state.Value);
    Send(window_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
  }
  PushEnabledVisible(state);
}

void DateTimePicker::Pull(TDateTimePicker& state) {
  SYSTEMTIME time{};
  if (Send(window_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return;
  state.Value = FromSystemTime(time);
  value_ = state.Value;
}

// --- RadioGroup

void RadioGroup::Create(HWND parent, int id, int firstItemId, Bounds bounds, HFONT font) {
  firstItemId_ = firstItemId;
  font_ = font;
  CreateChild(L"BUTTON", parent, id, BS_GROUPBOX | WS_GROUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
              bounds, font);
  SetWindowSubclass(window_, GroupBoxProc, 1, 0);
}

void RadioGroup::Push(const TRadioGroup& state) {
  PushCaption(state.Caption);
  if (Changed(height_, state.Height)) {
    RECT box;
    GetClientRect(window_, &box);
    SetWindowPos(window_, nullptr, 0, 0, box.right, state.Height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeItems();
  }
  if (Changed(items_, state.Items)) {
    CreateItems(state.Items, state.Enabled);
    itemsEnabled_ = state.Enabled;
    itemIndex_.reset();
  }
  if (Changed(itemIndex_, state.ItemIndex)) {
    for (size_t i = 0; i < buttons_.size(); ++i)
      SetCheck(buttons_[i], static_cast<int>(i) == state.ItemIndex);
  }
  // A disabled group shows its items greyed.
  if (Changed(itemsEnabled_, state.Enabled))
    for (HWND button : buttons_) EnableWindow(button, state.Enabled ? TRUE : FALSE);
  PushEnabledVisible(state);
}

bool RadioGroup::OwnsItem(int id) const {
  return id >= firstItemId_ && id < firstItemId_ + static_cast<int>(buttons_.size());
}

void RadioGroup::Pull(int itemId, TRadioGroup& state) {
  const int index = itemId - firstItemId_;
  if (!IsChecked(buttons_[static_cast<size_t>(index)])) return;
  state.ItemIndex = index;
  itemIndex_ = index;
}

void RadioGroup::CreateItems(const std::vector<std::string>& items, bool enabled) {
  for (HWND button : buttons_) DestroyWindow(button);
  buttons_.clear();
  for (size_t i = 0; i < items.size(); ++i) {
    const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0) | (enabled ? 0 : WS_DISABLED);
    HWND button = CreateControl(L"BUTTON", window_, firstItemId_ + static_cast<int>(i), style, 0,
                                Bounds{0, 0, 0, 0}, font_);
    SetText(button, items[i]);
    buttons_.push_back(button);
  }
  ArrangeItems();
  for (HWND button : buttons_) ShowWindow(button, SW_SHOWNA);
}

// The items share the room below the caption evenly, in one column; what does not divide
// evenly goes half above the first item.
void RadioGroup::ArrangeItems() {
  if (buttons_.empty()) return;
  RECT box;
  GetClientRect(window_, &box);
  const int count = static_cast<int>(buttons_.size());
  const int textHeight = FontHeight(window_, font_);
  const int room = box.bottom - textHeight - 5;
  const int itemHeight = room / count;
  const int top = textHeight + 1 + (room % count) / 2;
  for (int i = 0; i < count; ++i)
    SetWindowPos(buttons_[static_cast<size_t>(i)], nullptr, 8, top + i * itemHeight, box.right - 10,
                 itemHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- StatusBar

void StatusBar::Create(HWND parent, int id, HFONT font) {
  // Placed by hand so that its height stays exactly kHeight whatever the font.
  CreateChild(STATUSCLASSNAMEW, parent, id, WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
              Bounds{0, 0, 0, kHeight}, font);
  int parts[] = {115, -1};
  Send(window_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void StatusBar::Push(const TStatusBar& state) {
  if (Changed(panel0_, state.Panel0))
    Send(window_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Widen(state.Panel0).c_str()));
  if (Changed(panel1_, state.Panel1))
    Send(window_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Widen(state.Panel1).c_str()));
}

void StatusBar::Place(int clientWidth, int clientHeight) {
  SetWindowPos(window_, nullptr, 0, clientHeight - kHeight, clientWidth, kHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Timer

void Timer::Push(HWND owner, UINT_PTR id, const TTimer& state) {
  const bool enabledChanged = Changed(enabled_, state.Enabled);
  const bool intervalChanged = Changed(interval_, state.Interval);
  if (!enabledChanged && !intervalChanged) return;
  if (state.Enabled && state.Interval > 0)
    SetTimer(owner, id, state.Interval, nullptr);
  else
    KillTimer(owner, id);
}

}  // namespace ui
