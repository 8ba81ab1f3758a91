#pragma once
// Every control of the window, declared once: the window layer creates, places, mirrors and
// routes them from this table, and the end-to-end driver and the start-up benchmark's floor
// program read it too. A new control is one row here plus its state member in TFMain.
#include <span>
#include <variant>

#include "core/texts.h"
#include "window_logic/tfmain.h"

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
  ID_Zeitpunkt = 121,  // the radio set of sofort and spaeter; no window has this id
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
  RadioGroup,  // a group box of radio buttons, one per item
  RadioSet,    // radio buttons placed one by one in their parent; no window of its own
  CheckBox,
};

struct ControlBounds {
  int left, top, width, height;
};

// Which state member of TFMain a control mirrors; panels mirror none.
using ControlState =
    std::variant<std::monostate, TButton TFMain::*, TStatusBar TFMain::*, TGroupBox TFMain::*,
                 TDateTimePicker TFMain::*, TComboBox TFMain::*, TEdit TFMain::*,
                 TRadioGroup TFMain::*, TRadioSet TFMain::*, TCheckBox TFMain::*>;

// One button of a radio set.
struct RadioButtonRow {
  int id;
  ControlBounds bounds;  // in the set's parent
  const char* caption;   // Windows-1252
};

// Rows are written with designated initialisers; what a row leaves out, its control lacks.
struct ControlRow {
  const char* name;
  ControlKind kind;
  int id;
  int parent = 0;                                // id of the parent; 0: the window
  int firstItemId = 0;                           // radio groups: item i has the id firstItemId + i
  ControlBounds bounds = {};                     // at 96 DPI, in the parent's client area
  const char* caption = nullptr;                 // Windows-1252
  std::span<const char* const> items = {};       // initial items of lists and radio groups
  std::span<const RadioButtonRow> buttons = {};  // radio sets, in tab order
  ControlState state = {};
  TFMain::Handler event = nullptr;  // runs after the user changed the control
};

// The window's client area at 96 DPI before start-up sets its height.
inline constexpr int kClientWidth = 412;
inline constexpr int kClientHeight = 220;
inline constexpr int kStatusHeight = 19;
inline constexpr int kStatusPanel0Width = 115;

inline constexpr RadioButtonRow kZeitpunktButtons[] = {
    {ID_sofort, {10, 15, 60, 17}, texts::Sofort},
    {ID_spaeter, {85, 15, 60, 17}, texts::Spaeter},
};

// Creation order, which is also the tab order within each parent.
// clang-format off
inline constexpr ControlRow kControls[] = {
    {.name = "Start", .kind = ControlKind::PushButton, .id = ID_Start,
     .bounds = {330, 10, 75, 25}, .caption = texts::Start, .state = &TFMain::Start,
     .event = &TFMain::StartClick},
    {.name = "Ende", .kind = ControlKind::PushButton, .id = ID_Ende, .bounds = {330, 40, 75, 25},
     .caption = texts::Ende, .state = &TFMain::Ende, .event = &TFMain::EndeClick},
    {.name = "StatusBar1", .kind = ControlKind::StatusBar, .id = ID_StatusBar1,
     .bounds = {0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight},
     .caption = texts::StatusPanel0, .state = &TFMain::StatusBar1},
    {.name = "changepath", .kind = ControlKind::PushButton, .id = ID_changepath,
     .bounds = {330, 75, 75, 25}, .caption = texts::ChangePath, .state = &TFMain::changepath,
     .event = &TFMain::changepathClick},
    {.name = "Panel1", .kind = ControlKind::Panel, .id = ID_Panel1,
     .bounds = {0, 0, 316, kClientHeight - kStatusHeight}},
    {.name = "Panel2", .kind = ControlKind::Panel, .id = ID_Panel2, .parent = ID_Panel1,
     .bounds = {0, 0, 316, 46}},
    {.name = "GroupBox1", .kind = ControlKind::GroupBox, .id = ID_GroupBox1, .parent = ID_Panel2,
     .bounds = {0, 0, 105, 41}, .caption = texts::GroupDatum, .state = &TFMain::GroupBox1},
    {.name = "Datum", .kind = ControlKind::DatePicker, .id = ID_Datum, .parent = ID_GroupBox1,
     .bounds = {5, 15, 96, 21}, .state = &TFMain::Datum},
    {.name = "kompbox", .kind = ControlKind::GroupBox, .id = ID_kompbox, .parent = ID_Panel2,
     .bounds = {106, 0, 105, 41}, .caption = texts::GroupKomprimierung,
     .state = &TFMain::kompbox},
    {.name = "Komprimierung", .kind = ControlKind::DropDownList, .id = ID_Komprimierung,
     .parent = ID_kompbox, .bounds = {5, 15, 96, 21}, .items = texts::Kompression,
     .state = &TFMain::Komprimierung},
    {.name = "GroupBox2", .kind = ControlKind::GroupBox, .id = ID_GroupBox2, .parent = ID_Panel2,
     .bounds = {211, 0, 105, 41}, .caption = texts::GroupArchiv, .state = &TFMain::GroupBox2},
    {.name = "Archiv", .kind = ControlKind::DropDownList, .id = ID_Archiv,
     .parent = ID_GroupBox2, .bounds = {5, 15, 96, 21}, .items = texts::ArchivItems,
     .state = &TFMain::Archiv},
    {.name = "GroupBox3", .kind = ControlKind::GroupBox, .id = ID_GroupBox3, .parent = ID_Panel1,
     .bounds = {0, 46, 316, 65}, .caption = texts::GroupPasswort, .state = &TFMain::GroupBox3},
    {.name = "pwsave", .kind = ControlKind::GlyphButton, .id = ID_pwsave,
     .parent = ID_GroupBox3, .bounds = {270, 40, 23, 22}, .caption = texts::PwSave,
     .state = &TFMain::pwsave, .event = &TFMain::pwsaveClick},
    {.name = "Passwort", .kind = ControlKind::PasswordEdit, .id = ID_Passwort,
     .parent = ID_GroupBox3, .bounds = {5, 15, 256, 22}, .state = &TFMain::Passwort,
     .event = &TFMain::PasswortChange},
    {.name = "Passwort2", .kind = ControlKind::PasswordEdit, .id = ID_Passwort2,
     .parent = ID_GroupBox3, .bounds = {5, 40, 256, 22}, .state = &TFMain::Passwort2,
     .event = &TFMain::PasswortChange},
    {.name = "Ziel", .kind = ControlKind::RadioGroup, .id = ID_Ziel, .parent = ID_Panel1,
     .firstItemId = ID_ZielItem0, .bounds = {0, 115, 116, 44}, .caption = texts::ZielCaption,
     .items = texts::DesignJobs, .state = &TFMain::Ziel},
    {.name = "Zeitbox", .kind = ControlKind::GroupBox, .id = ID_Zeitbox, .parent = ID_Panel1,
     .bounds = {120, 115, 176, 61}, .caption = texts::Zeitbox, .state = &TFMain::Zeitbox},
    {.name = "Zeitpunkt", .kind = ControlKind::RadioSet, .id = ID_Zeitpunkt,
     .parent = ID_Zeitbox, .buttons = kZeitpunktButtons, .state = &TFMain::Zeitpunkt,
     .event = &TFMain::ZeitpunktClick},
    {.name = "Uhrzeit", .kind = ControlKind::TimePicker, .id = ID_Uhrzeit, .parent = ID_Zeitbox,
     .bounds = {90, 35, 81, 21}, .state = &TFMain::Uhrzeit},
    {.name = "Tag", .kind = ControlKind::DatePicker, .id = ID_Tag, .parent = ID_Zeitbox,
     .bounds = {10, 35, 81, 21}, .state = &TFMain::Tag},
    {.name = "StopProg", .kind = ControlKind::CheckBox, .id = ID_StopProg, .parent = ID_Panel1,
     .bounds = {125, 177, 161, 24}, .caption = texts::StopProg, .state = &TFMain::StopProg},
};
// clang-format on

// The row of a control by its id, or by the id of one of its radio buttons; null when there
// is none.
constexpr const ControlRow* FindControl(int id) {
  for (const ControlRow& row : kControls) {
    if (row.id == id) return &row;
    for (const RadioButtonRow& button : row.buttons)
      if (button.id == id) return &row;
  }
  return nullptr;
}

// Each id names one control: the window routes input, and the end-to-end driver finds
// controls, by id.
constexpr int ControlsWithId(int id) {
  int count = 0;
  for (const ControlRow& row : kControls) {
    count += row.id == id;
    for (const RadioButtonRow& button : row.buttons) count += button.id == id;
  }
  return count;
}
constexpr bool IdsAreDistinct() {
  for (const ControlRow& row : kControls) {
    if (ControlsWithId(row.id) != 1) return false;
    for (const RadioButtonRow& button : row.buttons)
      if (ControlsWithId(button.id) != 1) return false;
  }
  return true;
}
static_assert(IdsAreDistinct());
