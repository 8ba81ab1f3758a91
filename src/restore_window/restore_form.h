#pragma once
// The restore window's state as plain values and every handler, as the launcher's form is:
// the Win32 layer mirrors these values into its controls and calls the handlers on input.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "restore_window/folder_model.h"
#include "restore_window/history.h"
#include "restore_window/night_tree.h"
#include "restore_window/restore_order.h"
#include "zip/crypto.h"

namespace restore_window {

// What the form needs of the system. Texts are UTF-8.
class RestorePlatform {
 public:
  virtual ~RestorePlatform() = default;
  virtual dszip::FileSystem& Files() = 0;
  virtual zip::Crypto& Crypto() = 0;
  virtual std::string ExePath() = 0;
  virtual std::vector<std::string> Arguments() = 0;
  virtual std::string CentralLogFolder() = 0;
  virtual bool BrowseForFolder(std::string& path) = 0;
  virtual bool Confirm(const std::string& text) = 0;  // Ja / Nein
  virtual void ShowError(const std::string& text) = 0;
  // Hidden input; nothing when the user cancels.
  virtual std::optional<std::string> AskPassword(const std::string& prompt) = 0;
};

// A line of the list: a set's heading, or one of its nights, or a file without a record.
struct NightRow {
  std::string when, kind, size, name;
  int set = -1;  // the set it belongs to; -1 for a file without a record
  bool heading = false;
  std::string broken;  // why the night's chain is not whole
};

class RestoreForm {
 public:
  explicit RestoreForm(RestorePlatform& platform) : platform_(platform) {}

  // The folders of the settings beside the program, or the one the command line names; the
  // first one with archives shown, an archive named on the command line chosen.
  void FormCreate();
  void FolderChange();       // Folders.index changed
  void OtherFolderClick();   // "Anderer Ordner..."
  void NightChange();        // NightIndex changed
  void FilterChange();       // Filter changed
  void TargetFolderClick();  // the folder button beside "In diesen Ordner:"
  // The restores for the picked paths (none: the whole night), after the user confirmed a
  // restore to the original place; nothing when there is nothing to do or the user declined.
  std::optional<RestoreOrder> PrepareRestore(const std::vector<std::string>& picked);
  void HistoryRefresh();

  // --- state the window mirrors
  std::vector<std::string> Folders;
  int FolderIndex = -1;
  std::vector<NightRow> Nights;
  int NightIndex = -1;
  std::string Filter;
  std::vector<TreeNode> Shown;  // the chosen night's tree, filtered
  bool Original = false;        // "An den urspruenglichen Ort"; else "In diesen Ordner:"
  std::string TargetFolder;
  bool Replace = false;
  std::string Status;
  std::vector<PastRun> History;

  // The chosen night's archive and password, for the restore.
  std::string ChosenArchive() const;
  const std::optional<std::string>& Password() const { return password_; }
  // The shown folder (ending in "\") for "Pruefen"; empty when it lists no archive.
  std::string CheckedFolder() const;

 private:
  void ShowFolder(const std::string& folder);
  void ListNights();
  void ReadChosenNight();
  std::vector<std::string> SettingsFolders();

  RestorePlatform& platform_;
  FolderModel model_;
  NightTree night_;
  std::optional<std::string> password_;
  std::string passwordFor_;  // the archive it was typed for
};

}  // namespace restore_window
