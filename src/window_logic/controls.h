#pragma once
#include <string>
#include <vector>

#include "core/datetime.h"

// The state of the window's controls as plain values. The logic reads and changes these;
// the Win32 layer mirrors them into the real controls and user input back into them.

struct TControl {
  bool Enabled = true;
  bool Visible = true;
};

struct TButton : TControl {
  std::string Caption;
};

struct TCheckBox : TControl {
  std::string Caption;
  bool Checked = false;
};

// Radio buttons that make one choice together: the index of the selected one.
struct TRadioSet : TControl {
  int ItemIndex = 0;
};

struct TComboBox : TControl {
  std::vector<std::string> Items;
  int ItemIndex = -1;
};

struct TRadioGroup : TControl {
  std::string Caption;
  std::vector<std::string> Items;
  int ItemIndex = -1;
  int Height = 44;
};

struct TEdit : TControl {
  std::string Text;
};

struct TGroupBox : TControl {
  std::string Caption;
};

// Date or time picker; a date picker reports its whole value, time of day included.
struct TDateTimePicker : TControl {
  DateTime Value = 0;
};

struct TStatusBar {
  std::string Panel0;
  std::string Panel1;
};

struct TTimer {
  bool Enabled = false;
  unsigned Interval = 1000;
};
