#pragma once
// The restore window: creates the controls of the table, mirrors the form's state into them,
// turns input into the form's handlers, and runs restores and checks on a worker thread.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "restore_window/restore_form.h"
#include "restore_window/win32/window_platform.h"

namespace restore_window {

class RestoreWindow {
 public:
  RestoreWindow(RestoreForm& form, WindowPlatform& platform) : form_(form), platform_(platform) {}
  ~RestoreWindow();
  RestoreWindow(const RestoreWindow&) = delete;
  RestoreWindow& operator=(const RestoreWindow&) = delete;

  void Create();
  void Start();  // the form's start-up, then the window shown
  // Tab and arrow keys, Enter and Esc, Ctrl+Tab between the pages.
  void Process(MSG& message);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  std::optional<COLORREF> RowColour(int list, size_t row) const;
  void OnDpiChanged(int dpi, const RECT& suggested);

  HWND Control(int id) const { return controls_.at(id); }
  void CreateControls();
  void Layout();
  void ShowPage(int page);

  void PushFolders();
  void PushNights();
  void PushTree();
  void PushHistory();
  void PushDestination();
  void SetText(int id, const std::string& text);
  std::string TextOf(int id) const;

  void AddTreeItems(HTREEITEM parent, const std::vector<TreeNode>& nodes, bool checked);
  void SetSubtreeChecked(HTREEITEM item, bool checked);
  std::vector<std::string> Picked() const;

  void RestoreClick();
  void CheckClick();
  template <typename Work>
  void RunWorker(const std::string& starting, Work work);
  void Finished(int exitCode);

  RestoreForm& form_;
  WindowPlatform& platform_;
  HWND window_ = nullptr;
  std::map<int, HWND> controls_;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  std::thread worker_;
  std::atomic<bool> cancelled_{false};
  bool busy_ = false, closing_ = false, pushing_ = false;
  std::string verdict_;
  std::string openTarget_;
};

}  // namespace restore_window
