#include "win32/widgets.h"

#include <commctrl.h>

#include "core/error.h"
#include "core/filled.h"
#include "win32/window_classes.h"
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
    case WM_CTLCOLORSCROLLBAR: return true;
    default: return false;
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
    case WM_GETFONT: return GetWindowLongPtrW(window, GWLP_USERDATA);
    default: return DefWindowProcW(window, message, wParam, lParam);
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
    default: return DefSubclassProc(window, message, wParam, lParam);
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

void SetFont(HWND window, HFONT font) {
  Send(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Move(HWND window, int left, int top, int width, int height) {
  SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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

void NotCreated(const char* name) { throw EError(Filled(texts::WindowNotCreated, {name})); }

HWND Checked(HWND window, const char* name) {
  if (!window) NotCreated(name);
  return window;
}

void RegisterPanelClass() {
  WNDCLASSW panel{};
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = Instance();
  panel.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  panel.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  panel.lpszClassName = DS_PANEL_CLASS;
  if (!RegisterClassW(&panel)) NotCreated("TPanel");
}

std::unique_ptr<Widget> MakeWidget(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton: return std::make_unique<PushButton>();
    case ControlKind::GlyphButton: return std::make_unique<GlyphButton>();
    case ControlKind::StatusBar: return std::make_unique<StatusBar>();
    case ControlKind::Panel: return std::make_unique<Panel>();
    case ControlKind::GroupBox: return std::make_unique<GroupBox>();
    case ControlKind::DatePicker:
    case ControlKind::TimePicker:
      return std::make_unique<DateTimePicker>(kind == ControlKind::TimePicker);
    case ControlKind::DropDownList: return std::make_unique<DropDownList>();
    case ControlKind::PasswordEdit: return std::make_unique<PasswordEdit>();
    case ControlKind::RadioGroup: return std::make_unique<RadioGroup>();
    case ControlKind::RadioSet: return std::make_unique<RadioSet>();
    case ControlKind::CheckBox: return std::make_unique<CheckBox>();
  }
  return nullptr;
}

// --- Widget

void Widget::Create(const ControlRow& row, HWND parent, bool startsGroup, const Look& look) {
  id_ = row.id;
  const ControlBounds b = look.scale(row.bounds);
  window_ = Checked(
      CreateWindowExW(ExStyle(), WindowClass(), L"", WS_CHILD | Style(startsGroup), b.left, b.top,
                      b.width, b.height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), Instance(), nullptr),
      row.name);
  ApplyLook(look);
  Created(row, look);
}

void Widget::ApplyLook(const Look& look) { SetFont(window_, look.font); }

void Widget::Place(ControlBounds bounds, const Scale& scale) {
  const ControlBounds b = scale(bounds);
  Move(window_, b.left, b.top, b.width, b.height);
}

void Widget::PushEnabledVisible(const TControl& state) {
  if (Changed(enabled_, state.Enabled)) EnableWindow(window_, state.Enabled ? TRUE : FALSE);
  if (Changed(visible_, state.Visible)) ShowWindow(window_, state.Visible ? SW_SHOW : SW_HIDE);
}

void Widget::PushCaption(const std::string& caption) {
  if (Changed(caption_, caption)) SetText(window_, caption);
}

// --- PushButton

void PushButton::Push(const TButton& state) {
  PushCaption(state.Caption);
  PushEnabledVisible(state);
}

// --- GlyphButton

void GlyphButton::Created(const ControlRow& row, const Look&) {
  SetWindowSubclass(window_, GlyphButtonProc, 1, 0);
  // The tooltip belongs to the main window and goes with it.
  HWND tip =
      Checked(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                              GetAncestor(window_, GA_ROOT), nullptr, Instance(), nullptr),
              "Tooltip");
  std::wstring text = Widen(row.caption);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetAncestor(window_, GA_ROOT);
  tool.uId = reinterpret_cast<UINT_PTR>(window_);
  tool.lpszText = text.data();
  Send(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void GlyphButton::ApplyLook(const Look& look) {
  PushButton::ApplyLook(look);
  Send(window_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(look.glyph));
}

// --- CheckBox

void CheckBox::Push(const TCheckBox& state) {
  PushCaption(state.Caption);
  if (Changed(checked_, state.Checked)) SetCheck(window_, state.Checked);
  PushEnabledVisible(state);
}

void CheckBox::Pull(TCheckBox& state, int) {
  state.Checked = IsChecked(window_);
  checked_ = state.Checked;
}

// --- RadioSet

void RadioSet::Create(const ControlRow& row, HWND parent, bool startsGroup, const Look& look) {
  id_ = row.id;
  rows_ = row.buttons;
  for (const RadioButtonRow& button : rows_) {
    const ControlBounds b = look.scale(button.bounds);
    buttons_.push_back(Checked(
        CreateWindowExW(0, WindowClass(), Widen(button.caption).c_str(),
                        WS_CHILD | Style(startsGroup && buttons_.empty()), b.left, b.top, b.width,
                        b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)),
                        Instance(), nullptr),
        row.name));
  }
  ApplyLook(look);
}

void RadioSet::ApplyLook(const Look& look) {
  for (HWND button : buttons_) SetFont(button, look.font);
}

// Each button keeps the place its own row gives.
void RadioSet::Place(ControlBounds, const Scale& scale) {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const ControlBounds b = scale(rows_[i].bounds);
    Move(buttons_[i], b.left, b.top, b.width, b.height);
  }
}

void RadioSet::Push(const TRadioSet& state) {
  if (Changed(itemIndex_, state.ItemIndex))
    for (size_t i = 0; i < buttons_.size(); ++i)
      SetCheck(buttons_[i], static_cast<int>(i) == state.ItemIndex);
  if (Changed(enabled_, state.Enabled))
    for (HWND button : buttons_) EnableWindow(button, state.Enabled ? TRUE : FALSE);
  if (Changed(visible_, state.Visible))
    for (HWND button : buttons_) ShowWindow(button, state.Visible ? SW_SHOW : SW_HIDE);
}

// The click selects; the set's handler then acts on the choice.
void RadioSet::Pull(TRadioSet& state, int id) { state.ItemIndex = IndexOf(id); }

int RadioSet::IndexOf(int id) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].id == id) return static_cast<int>(i);
  return -1;
}

// --- GroupBox

template <typename State>
void Frame<State>::Created(const ControlRow&, const Look&) {
  SetWindowSubclass(this->window_, GroupBoxProc, 1, 0);
}
template class Frame<TGroupBox>;
template class Frame<TRadioGroup>;

void GroupBox::Push(const TGroupBox& state) {
  PushCaption(state.Caption);
  PushEnabledVisible(state);
}

// --- Panel

const wchar_t* Panel::WindowClass() const { return DS_PANEL_CLASS; }

// --- DropDownList

DWORD DropDownList::Style(bool) const {
  return CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
}

void DropDownList::Place(ControlBounds bounds, const Scale& s) {
  // The window's height includes the opened list; the closed box takes its height from the
  // height of the selection field, which is tuned to give the closed box the wanted height.
  const ControlBounds b = s(bounds);
  const int height = b.height;
  Move(window_, b.left, b.top, b.width, height + s(8 * 14));
  // Some versions report the field's height with a padding that setting it does not take,
  // so the correction is measured once more.
  LRESULT fieldHeight = Send(window_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1));
  for (int attempt = 0; attempt < 2; ++attempt) {
    RECT closed;
    GetWindowRect(window_, &closed);
    const LRESULT excess = (closed.bottom - closed.top) - height;
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

void DropDownList::Pull(TComboBox& state, int) {
  state.ItemIndex = static_cast<int>(Send(window_, CB_GETCURSEL));
  itemIndex_ = state.ItemIndex;
}

// --- PasswordEdit

void PasswordEdit::Created(const ControlRow&, const Look&) {
  Send(window_, EM_SETPASSWORDCHAR, 0x2022);  // a bullet
  Send(window_, EM_SETLIMITTEXT, 0);          // no limit beyond the system's own
}

void PasswordEdit::ApplyLook(const Look& look) { SetFont(window_, look.passwordFont); }

void PasswordEdit::Push(const TEdit& state) {
  if (Changed(text_, state.Text)) SetText(window_, state.Text);
  PushEnabledVisible(state);
}

void PasswordEdit::Pull(TEdit& state, int) {
  text_ = GetText(window_);
  state.Text = *text_;
}

// --- DateTimePicker

DWORD DateTimePicker::Style(bool) const {
  return (time_ ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT) | WS_TABSTOP | WS_GROUP;
}

const wchar_t* DateTimePicker::WindowClass() const { return DATETIMEPICK_CLASSW; }

bool DateTimePicker::IsInput(UINT code) const { return code == DTN_DATETIMECHANGE; }

void DateTimePicker::Created(const ControlRow&, const Look&) {
  // The German forms, whatever the regional settings of the machine.
  const wchar_t* format = time_ ? L"HH:mm:ss" : L"dd.MM.yyyy";
  Send(window_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
}

void DateTimePicker::Push(const TDateTimePicker& state) {
  if (Changed(value_, state.Value)) {
    SYSTEMTIME time = ToSystemTime(state.Value);
    Send(window_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
  }
  PushEnabledVisible(state);
}

void DateTimePicker::Pull(TDateTimePicker& state, int) {
  SYSTEMTIME time{};
  if (Send(window_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return;
  state.Value = FromSystemTime(time);
  value_ = state.Value;
}

// --- RadioGroup

void RadioGroup::Created(const ControlRow& row, const Look& look) {
  Frame::Created(row, look);
  bounds_ = row.bounds;
  name_ = row.name;
  firstItemId_ = row.firstItemId;
}

void RadioGroup::ApplyLook(const Look& look) {
  look_ = look;
  Widget::ApplyLook(look);
  for (HWND button : buttons_) SetFont(button, look.font);
}

void RadioGroup::Place(ControlBounds bounds, const Scale& scale) {
  bounds.height = bounds_.height;
  Widget::Place(bounds, scale);
  ArrangeItems();
}

void RadioGroup::Push(const TRadioGroup& state) {
  PushCaption(state.Caption);
  if (bounds_.height != state.Height) {
    bounds_.height = state.Height;
    RECT box;
    GetClientRect(window_, &box);
    SetWindowPos(window_, nullptr, 0, 0, box.right, look_.scale(bounds_).height,
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

bool RadioGroup::Owns(int id) const {
  return id >= firstItemId_ && id < firstItemId_ + static_cast<int>(buttons_.size());
}

void RadioGroup::Pull(TRadioGroup& state, int id) {
  const int index = id - firstItemId_;
  if (!IsChecked(buttons_[static_cast<size_t>(index)])) return;
  state.ItemIndex = index;
  itemIndex_ = index;
}

void RadioGroup::CreateItems(const std::vector<std::string>& items, bool enabled) {
  for (HWND button : buttons_) DestroyWindow(button);
  buttons_.clear();
  for (size_t i = 0; i < items.size(); ++i) {
    const DWORD style =
        WS_CHILD | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0) | (enabled ? 0 : WS_DISABLED);
    const int id = firstItemId_ + static_cast<int>(i);
    HWND button = Checked(
        CreateWindowExW(0, L"BUTTON", Widen(items[i]).c_str(), style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr),
        name_);
    SetFont(button, look_.font);
    buttons_.push_back(button);
  }
  ArrangeItems();
  for (HWND button : buttons_) ShowWindow(button, SW_SHOWNA);
}

// The items share the room below the caption evenly, in one column; what does not divide
// evenly goes half above the first item.
void RadioGroup::ArrangeItems() {
  if (buttons_.empty()) return;
  const Scale& s = look_.scale;
  RECT box;
  GetClientRect(window_, &box);
  const int count = static_cast<int>(buttons_.size());
  const int textHeight = FontHeight(window_, look_.font);
  const int room = box.bottom - textHeight - s(5);
  const int itemHeight = room / count;
  const int top = textHeight + s(1) + (room % count) / 2;
  for (int i = 0; i < count; ++i)
    Move(buttons_[static_cast<size_t>(i)], s(8), top + i * itemHeight, box.right - s(10),
         itemHeight);
}

// --- StatusBar

const wchar_t* StatusBar::WindowClass() const { return STATUSCLASSNAMEW; }

void StatusBar::ApplyLook(const Look& look) {
  Widget::ApplyLook(look);
  int parts[] = {look.scale(kStatusPanel0Width), -1};
  Send(window_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void StatusBar::Push(const TStatusBar& state) {
  if (Changed(panel0_, state.Panel0))
    Send(window_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Widen(state.Panel0).c_str()));
  if (Changed(panel1_, state.Panel1))
    Send(window_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Widen(state.Panel1).c_str()));
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
