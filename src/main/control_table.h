#pragma once
// Every control of the window, declared once: the window layer creates, places, mirrors and
// routes them from this table, and the end-to-end driver and the start-up benchmark's floor
// program read it too. A new control is one row here plus its state member in TFMain.
#include <span>
#include <variant>

#include "core/texts.h"
#include "main/main.h"

// Control identifiers; the end-to-end driver finds the controls by these from outside.
enum DsControlId {
  ID_Start = 1,  // IDOK: Enter acts on it
  ID_Ende = 2,   // IDCANCEL: Esc acts on it
  ID_StatusBar1 = 100,
  ID_changepath = 101,
  ID_Panel1 = 102,
  ID_Panel2 = 103,
  ID_GroupBox1 = 104,
  ID_Datum = 105,
  ID_kompbox = 106,
  ID_Komprimierung = 107,
  ID_GroupBox2 = 108,
  ID_Archiv = 109,
  ID_GroupBox3 = 110,
  ID_pwsave = 111,
  ID_Passwort = 112,
  ID_Passwort2 = 113,
  ID_Ziel = 114,
  ID_Zeitbox = 115,
  ID_sofort = 116,
  ID_spaeter = 117,
  ID_Uhrzeit = 118,
  ID_Tag = 119,
  ID_StopProg = 120,
  ID_ZielItem0 = 200,  // the job radio buttons inside Ziel: 200, 201, ...
};

enum class ControlKind {
  PushButton,
  GlyphButton,  // a small picture, no visible text
  StatusBar,
  Panel,
  GroupBox,
  DatePicker,
  TimePicker,
  DropDownList,
  PasswordEdit,
  RadioGroup,
  RadioButton,
  CheckBox,
};

struct ControlBounds {
  int left, top, width, height;
};

// Which state member of TFMain a control mirrors; panels mirror none.
using ControlState =
    std::variant<std::monostate, TButton TFMain::*, TStatusBar TFMain::*, TGroupBox TFMain::*,
                 TDateTimePicker TFMain::*, TComboBox TFMain::*, TEdit TFMain::*,
                 TRadioGroup TFMain::*, TCheckBox TFMain::*>;

struct ControlRow {
  const char* name;
  ControlKind kind;
  int id;
  int parent;                         // id of the parent; 0: the window
  ControlBounds bounds;               // at 96 DPI, in the parent's client area
  const char* caption;                // Windows-1252; null: none
  std::span<const char* const> items;  // initial items of lists and radio groups
  ControlState state;
  TFMain::Handler event;  // runs after the user changed the control; null: none
};

// The window's client area at 96 DPI before start-up sets its height.
inline constexpr int kClientWidth = 412;
inline constexpr int kClientHeight = 220;
inline constexpr int kStatusHeight = 19;
inline constexpr int kStatusPanel0Width = 115;

// Creation order, which is also the tab order within each parent.
inline constexpr ControlRow kControls[] = {
    {"Start", ControlKind::PushButton, ID_Start, 0, {330, 10, 75, 25}, texts::Start, {},
     &TFMain::Start, &TFMain::StartClick},
    {"Ende", ControlKind::PushButton, ID_Ende, 0, {330, 40, 75, 25}, texts::Ende, {},
     &TFMain::Ende, &TFMain::EndeClick},
    {"StatusBar1", ControlKind::StatusBar, ID_StatusBar1, 0,
     {0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight}, texts::StatusPanel0, {},
     &TFMain::StatusBar1, nullptr},
    {"changepath", ControlKind::PushButton, ID_changepath, 0, {330, 75, 75, 25},
     texts::ChangePath, {}, &TFMain::changepath, &TFMain::changepathClick},
    {"Panel1", ControlKind::Panel, ID_Panel1, 0, {0, 0, 316, kClientHeight - kStatusHeight},
     nullptr, {}, {}, nullptr},
    {"Panel2", ControlKind::Panel, ID_Panel2, ID_Panel1, {0, 0, 316, 46}, nullptr, {}, {},
     nullptr},
    {"GroupBox1", ControlKind::GroupBox, ID_GroupBox1, ID_Panel2, {0, 0, 105, 41},
     texts::GroupDatum, {}, &TFMain::GroupBox1, nullptr},
    {"Datum", ControlKind::DatePicker, ID_Datum, ID_GroupBox1, {5, 15, 96, 21}, nullptr, {},
     &TFMain::Datum, nullptr},
    {"kompbox", ControlKind::GroupBox, ID_kompbox, ID_Panel2, {106, 0, 105, 41},
     texts::GroupKomprimierung, {}, &TFMain::kompbox, nullptr},
    {"Komprimierung", ControlKind::DropDownList, ID_Komprimierung, ID_kompbox, {5, 15, 96, 21},
     nullptr, texts::Kompression, &TFMain::Komprimierung, nullptr},
    {"GroupBox2", ControlKind::GroupBox, ID_GroupBox2, ID_Panel2, {211, 0, 105, 41},
     texts::GroupArchiv, {}, &TFMain::GroupBox2, nullptr},
    {"Archiv", ControlKind::DropDownList, ID_Archiv, ID_GroupBox2, {5, 15, 96, 21}, nullptr,
     texts::ArchivItems, &TFMain::Archiv, nullptr},
    {"GroupBox3", ControlKind::GroupBox, ID_GroupBox3, ID_Panel1, {0, 46, 316, 65},
     texts::GroupPasswort, {}, &TFMain::GroupBox3, nullptr},
    {"pwsave", ControlKind::GlyphButton, ID_pwsave, ID_GroupBox3, {270, 40, 23, 22},
     texts::PwSave, {}, &TFMain::pwsave, &TFMain::pwsaveClick},
    {"Passwort", ControlKind::PasswordEdit, ID_Passwort, ID_GroupBox3, {5, 15, 256, 22},
     nullptr, {}, &TFMain::Passwort, &TFMain::PasswortChange},
    {"Passwort2", ControlKind::PasswordEdit, ID_Passwort2, ID_GroupBox3, {5, 40, 256, 22},
     nullptr, {}, &TFMain::Passwort2, &TFMain::PasswortChange},
    {"Ziel", ControlKind::RadioGroup, ID_Ziel, ID_Panel1, {0, 115, 116, 44},
     texts::ZielCaption, texts::DesignJobs, &TFMain::Ziel, nullptr},
    {"Zeitbox", ControlKind::GroupBox, ID_Zeitbox, ID_Panel1, {120, 115, 176, 61},
     texts::Zeitbox, {}, &TFMain::Zeitbox, nullptr},
    {"sofort", ControlKind::RadioButton, ID_sofort, ID_Zeitbox, {10, 15, 60, 17}, texts::Sofort,
     {}, &TFMain::sofort, &TFMain::UserSelectsSofort},
    {"spaeter", ControlKind::RadioButton, ID_spaeter, ID_Zeitbox, {85, 15, 60, 17},
     texts::Spaeter, {}, &TFMain::spaeter, &TFMain::UserSelectsSpaeter},
    {"Uhrzeit", ControlKind::TimePicker, ID_Uhrzeit, ID_Zeitbox, {90, 35, 81, 21}, nullptr, {},
     &TFMain::Uhrzeit, nullptr},
    {"Tag", ControlKind::DatePicker, ID_Tag, ID_Zeitbox, {10, 35, 81, 21}, nullptr, {},
     &TFMain::Tag, nullptr},
    {"StopProg", ControlKind::CheckBox, ID_StopProg, ID_Panel1, {125, 177, 161, 24},
     texts::StopProg, {}, &TFMain::StopProg, nullptr},
};

// The row of a control by its id; null when there is none.
constexpr const ControlRow* FindControl(int id) {
  for (const ControlRow& row : kControls)
    if (row.id == id) return &row;
  return nullptr;
}
