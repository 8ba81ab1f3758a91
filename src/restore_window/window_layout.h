#pragma once
// Every control of the restore window, declared once: the window layer creates, places and
// scales them from this table, and the end-to-end driver finds them by these ids.
#include <span>

#include "restore_window/texts.h"

namespace restore_window {

enum ControlId {
  ID_Restore = 1,  // IDOK: Enter acts on it
  ID_Close = 2,    // IDCANCEL: Esc acts on it
  ID_Tabs = 100,
  ID_FolderLabel,
  ID_Folders,
  ID_OtherFolder,
  ID_Check,
  ID_Nights,
  ID_FilterLabel,
  ID_Filter,
  ID_Tree,
  ID_Original,
  ID_IntoFolder,
  ID_TargetFolder,
  ID_TargetBrowse,
  ID_Replace,
  ID_Progress,
  ID_Cancel,
  ID_Result,
  ID_Verdict,
  ID_OpenFolder,
  ID_History,
  ID_HistoryRecord,
  ID_Counts,
};

enum class ControlKind {
  Button,
  DefaultButton,
  Label,
  DropDown,
  ListView,
  TreeView,
  Edit,
  ReadOnlyText,  // several lines, selectable, not editable
  FirstRadio,    // starts a group of radio buttons
  Radio,
  CheckBox,
  Progress,
  Tabs,
};

enum class Page { Both, Backups, History };

struct Bounds {
  int left, top, width, height;  // at 96 DPI, in the window's client area
};

struct ControlRow {
  ControlId id;
  ControlKind kind;
  Page page;
  Bounds bounds;
  const char* caption;  // UTF-8; "&" marks the access key
};

inline constexpr int kClientWidth = 780;
inline constexpr int kClientHeight = 560;

// Creation order, which is also the tab order.
// clang-format off
inline constexpr ControlRow kControls[] = {
    {ID_Tabs, ControlKind::Tabs, Page::Both, {6, 6, 768, 24}, ""},
    {ID_FolderLabel, ControlKind::Label, Page::Backups, {16, 40, 50, 18}, texts::FolderLabel},
    {ID_Folders, ControlKind::DropDown, Page::Backups, {70, 36, 400, 200}, ""},
    {ID_OtherFolder, ControlKind::Button, Page::Backups, {478, 35, 130, 25}, texts::OtherFolder},
    {ID_Check, ControlKind::Button, Page::Backups, {616, 35, 146, 25}, texts::Check},
    {ID_Nights, ControlKind::ListView, Page::Backups, {16, 68, 424, 300}, ""},
    {ID_FilterLabel, ControlKind::Label, Page::Backups, {450, 72, 40, 18}, texts::FilterLabel},
    {ID_Filter, ControlKind::Edit, Page::Backups, {494, 68, 268, 22}, ""},
    {ID_Tree, ControlKind::TreeView, Page::Backups, {450, 96, 312, 272}, ""},
    {ID_Original, ControlKind::FirstRadio, Page::Backups, {16, 378, 240, 20}, texts::Original},
    {ID_IntoFolder, ControlKind::Radio, Page::Backups, {16, 402, 130, 20}, texts::IntoFolder},
    {ID_TargetFolder, ControlKind::Edit, Page::Backups, {150, 401, 420, 22}, ""},
    {ID_TargetBrowse, ControlKind::Button, Page::Backups, {576, 400, 32, 24}, texts::Browse},
    {ID_Replace, ControlKind::CheckBox, Page::Backups, {16, 428, 300, 20}, texts::Replace},
    {ID_Restore, ControlKind::DefaultButton, Page::Backups, {616, 424, 146, 28}, texts::Restore},
    {ID_Progress, ControlKind::Progress, Page::Backups, {16, 458, 300, 18}, ""},
    {ID_Counts, ControlKind::Label, Page::Backups, {324, 459, 284, 18}, ""},
    {ID_Cancel, ControlKind::Button, Page::Backups, {616, 456, 146, 24}, texts::Cancel},
    {ID_Result, ControlKind::Label, Page::Backups, {16, 482, 592, 18}, ""},
    {ID_Verdict, ControlKind::ReadOnlyText, Page::Backups, {16, 502, 592, 44}, ""},
    {ID_OpenFolder, ControlKind::Button, Page::Backups, {616, 486, 146, 25}, texts::OpenFolder},
    {ID_Close, ControlKind::Button, Page::Both, {616, 520, 146, 25}, texts::Close},
    {ID_History, ControlKind::ListView, Page::History, {16, 36, 746, 300}, ""},
    {ID_HistoryRecord, ControlKind::ReadOnlyText, Page::History, {16, 342, 746, 170}, ""},
};
// clang-format on

// The columns of the two lists: caption and width at 96 DPI.
struct Column {
  const char* caption;
  int width;
};
inline constexpr Column kNightColumns[] = {{texts::ColumnWhen, 110},
                                           {texts::ColumnKind, 100},
                                           {texts::ColumnSize, 76},
                                           {texts::ColumnArchive, 112}};
inline constexpr Column kHistoryColumns[] = {{texts::ColumnWhen, 250},
                                             {texts::ColumnCommand, 250},
                                             {texts::ColumnArchive, 130},
                                             {texts::ColumnResult, 110}};

constexpr bool IdsAreDistinct() {
  for (const ControlRow& a : kControls) {
    int count = 0;
    for (const ControlRow& b : kControls) count += a.id == b.id;
    if (count != 1) return false;
  }
  return true;
}
static_assert(IdsAreDistinct());

}  // namespace restore_window
