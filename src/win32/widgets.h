#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "main/controls.h"

// One small wrapper per control kind. Each creates its window, pushes the logic's state into
// it (only what changed since the last push) and pulls what the user changed back out.
// Notifications caused by a push are the caller's to ignore.
namespace ui {

struct Bounds {
  int left, top, width, height;
};

HINSTANCE Instance();
// Panels and group boxes pass their children's notifications on to the main window.
void RegisterPanelClass();

class Widget {
 public:
  HWND Handle() const { return window_; }

 protected:
  void CreateChild(const wchar_t* windowClass, HWND parent, int id, DWORD style, DWORD exStyle,
                   Bounds bounds, HFONT font);
  void PushEnabledVisible(const TControl& state);
  void PushCaption(const std::string& caption);

  HWND window_ = nullptr;

 private:
  std::optional<bool> enabled_;
  std::optional<bool> visible_;
  std::optional<std::string> caption_;
};

class PushButton : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font, bool isDefault);
  void Push(const TButton& state);
};

// A flat button that shows only a small picture and takes no focus by Tab.
class GlyphButton : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font, HICON picture);
  void Push(const TButton& state);
};

class CheckBox : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font);
  void Push(const TCheckBox& state);
  void Pull(TCheckBox& state);

 private:
  std::optional<bool> checked_;
};

// A radio button that does not tick itself: the logic decides.
class RadioButton : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font, bool startsGroup);
  void Push(const TRadioButton& state);

 private:
  std::optional<bool> checked_;
};

class GroupBox : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font);
  void Push(const TGroupBox& state);
};

class Panel : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font);
  void Place(Bounds bounds);
};

class DropDownList : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font);
  void Push(const TComboBox& state);
  void Pull(TComboBox& state);

 private:
  std::optional<std::vector<std::string>> items_;
  std::optional<int> itemIndex_;
};

class PasswordEdit : public Widget {
 public:
  void Create(HWND parent, int id, Bounds bounds, HFONT font);
  void Push(const TEdit& state);
  // The text as the user left it; a later push of the same text leaves the field alone.
  std::string Pull();

 private:
  std::optional<std::string> text_;
};

class DateTimePicker : public Widget {
 public:
  enum class Kind { Date, Time };
  void Create(HWND parent, int id, Bounds bounds, HFONT font, Kind kind);
  void Push(const TDateTimePicker& state);
  void Pull(TDateTimePicker& state);

 private:
  std::optional<DateTime> value_;
};

// A group box whose items are radio buttons in one column, ids firstItemId + index.
class RadioGroup : public Widget {
 public:
  void Create(HWND parent, int id, int firstItemId, Bounds bounds, HFONT font);
  void Push(const TRadioGroup& state);
  bool OwnsItem(int id) const;
  void Pull(int itemId, TRadioGroup& state);

 private:
  void CreateItems(const std::vector<std::string>& items, bool enabled);
  void ArrangeItems();

  int firstItemId_ = 0;
  HFONT font_ = nullptr;
  std::vector<HWND> buttons_;
  std::optional<std::vector<std::string>> items_;
  std::optional<int> itemIndex_;
  std::optional<int> height_;
  std::optional<bool> itemsEnabled_;
};

class StatusBar : public Widget {
 public:
  static constexpr int kHeight = 19;
  void Create(HWND parent, int id, HFONT font);
  void Push(const TStatusBar& state);
  void Place(int clientWidth, int clientHeight);

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
