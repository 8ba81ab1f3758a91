#pragma once
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "window_logic/control_table.h"

// One small wrapper per control kind. Each creates its window from its row of the control
// table, pushes the logic's state into it (only what changed since the last push) and pulls
// what the user changed back out. Notifications caused by a push are the caller's to ignore.
namespace ui {

// Pixels at 96 DPI to pixels at the window's DPI.
struct Scale {
  int dpi = 96;
  int operator()(int pixels) const { return MulDiv(pixels, dpi, 96); }
  // The edges scale, so that controls that meet at 96 DPI still meet.
  ControlBounds operator()(ControlBounds b) const {
    return {(*this)(b.left), (*this)(b.top), (*this)(b.left + b.width) - (*this)(b.left),
            (*this)(b.top + b.height) - (*this)(b.top)};
  }
};

// What the controls are drawn with at the window's DPI.
struct Look {
  Scale scale;
  HFONT font = nullptr;
  HFONT passwordFont = nullptr;
  HICON glyph = nullptr;
};

HINSTANCE Instance();
// Panels and group boxes pass their children's notifications on to the main window.
void RegisterPanelClass();
// Raise an error naming a window that could not be created.
[[noreturn]] void NotCreated(const char* name);
HWND Checked(HWND window, const char* name);

class Widget {
 public:
  virtual ~Widget() = default;
  HWND Handle() const { return window_; }
  // Creates the control at its place and in its look.
  virtual void Create(const ControlRow& row, HWND parent, bool startsGroup, const Look& look);
  // Font and pictures of a new DPI, then the row's place scaled.
  virtual void ApplyLook(const Look& look);
  virtual void Place(ControlBounds bounds, const Scale& scale);
  virtual bool Owns(int id) const { return id == id_; }
  // Whether a WM_COMMAND or WM_NOTIFY code of this control is the user's input.
  virtual bool IsInput(UINT /*code*/) const { return false; }

 protected:
  virtual DWORD Style(bool startsGroup) const = 0;
  virtual DWORD ExStyle() const { return 0; }
  virtual const wchar_t* WindowClass() const { return L"BUTTON"; }
  virtual void Created(const ControlRow& /*row*/, const Look& /*look*/) {}
  void PushEnabledVisible(const TControl& state);
  void PushCaption(const std::string& caption);

  HWND window_ = nullptr;
  int id_ = 0;

 private:
  std::optional<bool> enabled_;
  std::optional<bool> visible_;
  std::optional<std::string> caption_;
};

// A widget that mirrors one kind of state.
template <typename State>
class Mirror : public Widget {
 public:
  virtual void Push(const State& state) = 0;
  // What the user changed, into the state; id is the child that reported it.
  virtual void Pull(State& /*state*/, int /*id*/) {}
};

// The kind's widget; the row's state member must be the one it mirrors.
std::unique_ptr<Widget> MakeWidget(ControlKind kind);

class PushButton : public Mirror<TButton> {
 public:
  void Push(const TButton& state) override;
  bool IsInput(UINT code) const override { return code == BN_CLICKED; }

 protected:
  DWORD Style(bool) const override { return BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP; }
};

// A flat button that shows only a small picture and takes no focus by Tab. Its caption is
// not drawn; screen readers announce it and its tooltip shows it.
class GlyphButton : public PushButton {
 public:
  void ApplyLook(const Look& look) override;

 protected:
  DWORD Style(bool) const override { return BS_PUSHBUTTON | BS_ICON | BS_FLAT; }
  void Created(const ControlRow& row, const Look& look) override;
};

class CheckBox : public Mirror<TCheckBox> {
 public:
  void Push(const TCheckBox& state) override;
  void Pull(TCheckBox& state, int id) override;
  bool IsInput(UINT code) const override { return code == BN_CLICKED; }

 protected:
  DWORD Style(bool) const override { return BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP; }

 private:
  std::optional<bool> checked_;
};

// Radio buttons that make one choice, each placed by its own row in the set's parent; the
// set has no window of its own. They do not tick themselves: the logic decides.
class RadioSet : public Mirror<TRadioSet> {
 public:
  void Create(const ControlRow& row, HWND parent, bool startsGroup, const Look& look) override;
  void ApplyLook(const Look& look) override;
  void Place(ControlBounds bounds, const Scale& scale) override;
  void Push(const TRadioSet& state) override;
  void Pull(TRadioSet& state, int id) override;
  bool Owns(int id) const override { return IndexOf(id) >= 0; }
  bool IsInput(UINT code) const override { return code == BN_CLICKED; }

 protected:
  // A ticked radio button is the group's tab stop; BM_SETCHECK moves WS_TABSTOP along.
  DWORD Style(bool startsGroup) const override {
    return BS_RADIOBUTTON | (startsGroup ? WS_GROUP : 0);
  }

 private:
  int IndexOf(int id) const;

  std::span<const RadioButtonRow> rows_;
  std::vector<HWND> buttons_;
  std::optional<int> itemIndex_;
  std::optional<bool> enabled_;
  std::optional<bool> visible_;
};

// A group box that is the real parent of its controls; the radio group is one too.
template <typename State>
class Frame : public Mirror<State> {
 protected:
  DWORD Style(bool) const override { return BS_GROUPBOX | WS_GROUP | WS_CLIPCHILDREN; }
  DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
  void Created(const ControlRow& row, const Look& look) override;
};

class GroupBox : public Frame<TGroupBox> {
 public:
  void Push(const TGroupBox& state) override;
};

class Panel : public Widget {
 protected:
  DWORD Style(bool) const override { return WS_VISIBLE | WS_CLIPCHILDREN; }
  DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
  const wchar_t* WindowClass() const override;
};

class DropDownList : public Mirror<TComboBox> {
 public:
  void Place(ControlBounds bounds, const Scale& scale) override;
  void Push(const TComboBox& state) override;
  void Pull(TComboBox& state, int id) override;
  bool IsInput(UINT code) const override { return code == CBN_SELCHANGE; }

 protected:
  DWORD Style(bool) const override;
  const wchar_t* WindowClass() const override { return L"COMBOBOX"; }
  void Created(const ControlRow& row, const Look& look) override { Place(row.bounds, look.scale); }

 private:
  std::optional<std::vector<std::string>> items_;
  std::optional<int> itemIndex_;
};

class PasswordEdit : public Mirror<TEdit> {
 public:
  void ApplyLook(const Look& look) override;
  void Push(const TEdit& state) override;
  // The text as the user left it; a later push of the same text leaves the field alone.
  void Pull(TEdit& state, int id) override;
  bool IsInput(UINT code) const override { return code == EN_CHANGE; }

 protected:
  DWORD Style(bool) const override { return ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP; }
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  const wchar_t* WindowClass() const override { return L"EDIT"; }
  void Created(const ControlRow& row, const Look& look) override;

 private:
  std::optional<std::string> text_;
};

class DateTimePicker : public Mirror<TDateTimePicker> {
 public:
  explicit DateTimePicker(bool time) : time_(time) {}
  void Push(const TDateTimePicker& state) override;
  void Pull(TDateTimePicker& state, int id) override;
  bool IsInput(UINT code) const override;

 protected:
  DWORD Style(bool) const override;
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  const wchar_t* WindowClass() const override;
  void Created(const ControlRow& row, const Look& look) override;

 private:
  bool time_;
  std::optional<DateTime> value_;
};

// A group box whose items are radio buttons in one column, with the ids the row gives. Its
// height is the state's, not the row's.
class RadioGroup : public Frame<TRadioGroup> {
 public:
  void ApplyLook(const Look& look) override;
  void Place(ControlBounds bounds, const Scale& scale) override;
  void Push(const TRadioGroup& state) override;
  void Pull(TRadioGroup& state, int id) override;
  bool Owns(int id) const override;
  bool IsInput(UINT code) const override { return code == BN_CLICKED; }

 protected:
  void Created(const ControlRow& row, const Look& look) override;

 private:
  void CreateItems(const std::vector<std::string>& items, bool enabled);
  void ArrangeItems();

  Look look_;
  ControlBounds bounds_{};
  const char* name_ = "";
  int firstItemId_ = 0;
  std::vector<HWND> buttons_;
  std::optional<std::vector<std::string>> items_;
  std::optional<int> itemIndex_;
  std::optional<bool> itemsEnabled_;
};

// Placed by the window: docked at the bottom.
class StatusBar : public Mirror<TStatusBar> {
 public:
  void ApplyLook(const Look& look) override;
  void Push(const TStatusBar& state) override;

 protected:
  DWORD Style(bool) const override { return WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN; }
  const wchar_t* WindowClass() const override;

 private:
  std::optional<std::string> panel0_;
  std::optional<std::string> panel1_;
};

class Timer {
 public:
  void Push(HWND owner, UINT_PTR id, const TTimer& state);

 private:
  std::optional<bool> enabled_;
  std::optional<unsigned> interval_;
};

}  // namespace ui
