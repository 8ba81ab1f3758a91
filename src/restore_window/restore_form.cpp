#include "restore_window/restore_form.h"

#include <algorithm>

#include "core/cp1252.h"
#include "core/filled.h"
#include "engine/outcome.h"
#include "engine/target_folder.h"
#include "engine/text.h"
#include "restore_window/texts.h"
#include "settings/settings.h"
#include "zip/errors.h"
#include "zip/stored_name.h"

namespace restore_window {
namespace {

constexpr size_t kHistoryLength = 200;
constexpr int kPasswordTries = 3;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// The folder's place in the list, where it is added unless a spelling of it is there.
size_t AddOnce(std::vector<std::string>& folders, const std::string& folder) {
  const std::string key = zip::FoldCase(folder);
  const auto at = std::find_if(folders.begin(), folders.end(),
                               [&key](const std::string& f) { return zip::FoldCase(f) == key; });
  if (at != folders.end()) return static_cast<size_t>(at - folders.begin());
  folders.push_back(folder);
  return folders.size() - 1;
}

}  // namespace

// [Ziel] 0, 1, ... and every job's own folder, as the launcher reads them (Windows-1252).
std::vector<std::string> RestoreForm::SettingsFolders() {
  const std::string exe = platform_.ExePath();
  std::vector<std::string> folders;
  try {
    // The folder of the program however its path is written (the tests run on Linux).
    TSettingsFile settings(exe.substr(0, exe.find_last_of("\\/") + 1) + "Datensicherung.ini");
    for (int n = 0;; ++n) {
      const std::string folder = settings.GetText("Ziel", std::to_string(n), "");
      if (folder.empty()) break;
      AddOnce(folders, WithSlash(Utf8FromCp1252(folder)));
    }
    for (int n = 0; !settings.GetText("Backup", std::to_string(n) + "b", "").empty(); ++n) {
      const std::string own = settings.GetText("Backup", std::to_string(n) + "p", "");
      if (!own.empty()) AddOnce(folders, WithSlash(Utf8FromCp1252(own)));
    }
  } catch (const std::exception&) {
    // Without readable settings the user chooses a folder.
  }
  return folders;
}

void RestoreForm::FormCreate() {
  Folders = SettingsFolders();
  const std::vector<std::string> arguments = platform_.Arguments();
  std::string named;  // an archive given on the command line
  if (!arguments.empty()) {
    // "C:\Archiv\" reaches us as C:\Archiv": the C runtime's rules take \" for a quote, and no
    // path holds one.
    std::string typed = arguments[0];
    if (!typed.empty() && typed.back() == '"') typed.back() = '\\';
    const std::string given = platform_.Files().FullPath(typed);
    const auto info = platform_.Files().Stat(given);
    const bool folder = info && info->IsFolder();
    named = folder ? "" : given.substr(dszip::FolderOf(given).size());
    const std::string place = folder ? WithSlash(given) : dszip::FolderOf(given);
    ShowFolder(Folders[AddOnce(Folders, place)]);
  } else {
    for (const std::string& folder : Folders) {
      ShowFolder(folder);
      if (!Nights.empty()) break;
    }
  }
  if (Nights.empty() && !Folders.empty() && arguments.empty()) ShowFolder(Folders.front());
  for (size_t i = 0; i < Nights.size() && !named.empty(); ++i)
    if (!Nights[i].heading && zip::FoldCase(Nights[i].name) == zip::FoldCase(named)) {
      NightIndex = static_cast<int>(i);
      NightChange();
    }
  HistoryRefresh();
}

void RestoreForm::ShowFolder(const std::string& folder) {
  FolderIndex = static_cast<int>(AddOnce(Folders, folder));
  Nights.clear();
  NightIndex = -1;
  Shown.clear();
  night_ = {};
  try {
    model_ = ReadFolder(platform_.Files(), folder);
    Status.clear();
  } catch (const dszip::FileError& error) {
    model_ = {};
    Status = Filled(texts::FolderUnreadable, {folder, error.what()});
  }
  ListNights();
}

void RestoreForm::ListNights() {
  for (size_t s = 0; s < model_.sets.size(); ++s) {
    const SetOfNights& set = model_.sets[s];
    Nights.push_back({.when = SetText(s + 1, set),
                      .kind = {},
                      .size = {},
                      .name = {},
                      .set = static_cast<int>(s),
                      .heading = true,
                      .broken = {}});
    for (const Night& night : set.nights)
      Nights.push_back({WhenText(night.made), KindText(night.kind), dszip::ByteSize(night.size),
                        night.name, static_cast<int>(s), false, night.broken});
  }
  if (model_.single.empty()) return;
  Nights.push_back({.when = texts::SingleArchives,
                    .kind = {},
                    .size = {},
                    .name = {},
                    .set = -1,
                    .heading = true,
                    .broken = {}});
  for (const Night& night : model_.single)
    Nights.push_back({"", "", dszip::ByteSize(night.size), night.name, -1, false, ""});
}

void RestoreForm::FolderChange() {
  if (FolderIndex >= 0 && FolderIndex < static_cast<int>(Folders.size()))
    ShowFolder(Folders[static_cast<size_t>(FolderIndex)]);
}

void RestoreForm::OtherFolderClick() {
  std::string folder;
  if (!platform_.BrowseForFolder(folder)) return;
  folder = WithSlash(folder);
  AddOnce(Folders, folder);
  ShowFolder(folder);
}

std::string RestoreForm::ChosenArchive() const {
  if (NightIndex < 0 || NightIndex >= static_cast<int>(Nights.size())) return {};
  const NightRow& row = Nights[static_cast<size_t>(NightIndex)];
  return row.heading ? "" : model_.folder + row.name;
}

std::string RestoreForm::CheckedFolder() const {
  const bool listsArchives =
      std::any_of(Nights.begin(), Nights.end(), [](const NightRow& row) { return !row.heading; });
  return listsArchives ? model_.folder : std::string();
}

void RestoreForm::NightChange() {
  Shown.clear();
  night_ = {};
  const std::string archive = ChosenArchive();
  if (archive != passwordFor_) password_.reset();  // asked once for each night
  if (archive.empty()) return;
  Status = Nights[static_cast<size_t>(NightIndex)].broken;
  ReadChosenNight();
  Shown = Filtered(night_.roots, Filter);
}

// The password is asked only when the night's state list needs it, and kept for the restore.
void RestoreForm::ReadChosenNight() {
  const std::string archive = ChosenArchive();
  try {
    for (int tries = 0; tries <= kPasswordTries; ++tries) {
      night_ = ReadNight(platform_.Files(), platform_.Crypto(), archive, password_);
      if (night_.access == NightAccess::Read) return;
      if (tries == kPasswordTries) break;
      password_ = platform_.AskPassword(Filled(texts::PasswordPrompt, {archive}));
      passwordFor_ = archive;
      if (!password_) break;
    }
    night_ = {};
    Status = texts::PasswordNotGiven;
  } catch (const dszip::RunError& error) {
    Status = error.what();
  } catch (const dszip::FileError& error) {
    Status = Filled(texts::ArchiveUnreadable, {archive, error.what()});
  } catch (const zip::Error& error) {
    Status = Filled(texts::ArchiveUnreadable, {archive, error.what()});
  }
}

void RestoreForm::FilterChange() { Shown = Filtered(night_.roots, Filter); }

void RestoreForm::TargetFolderClick() {
  std::string folder = TargetFolder;
  if (platform_.BrowseForFolder(folder)) TargetFolder = folder;
}

std::optional<RestoreOrder> RestoreForm::PrepareRestore(const std::vector<std::string>& picked) {
  const std::string archive = ChosenArchive();
  if (archive.empty() || night_.roots.empty()) return std::nullopt;
  if (!Original && TargetFolder.empty()) {
    platform_.ShowError(texts::NoTargetFolder);
    return std::nullopt;
  }
  const int set = Nights[static_cast<size_t>(NightIndex)].set;
  const std::vector<std::string> sources =
      set < 0 ? std::vector<std::string>() : model_.sets[static_cast<size_t>(set)].sources;
  RestoreOrder order = PlanRestore(archive, night_.roots, picked,
                                   {.original = Original,
                                    .folder = platform_.Files().FullPath(TargetFolder),
                                    .replace = Replace},
                                   sources);
  if (!Original) return order;
  const std::string existing = std::to_string(CountExisting(platform_.Files(), order));
  if (!platform_.Confirm(
          Filled(Replace ? texts::ConfirmOriginal : texts::ConfirmOriginalKeep, {existing})))
    return std::nullopt;
  return order;
}

void RestoreForm::HistoryRefresh() {
  History = ReadHistory(platform_.Files(), platform_.CentralLogFolder(), kHistoryLength);
}

}  // namespace restore_window
