#include "restore_window/win32/window_platform.h"

#include <shellapi.h>
#include <shlobj.h>

#include "restore_window/texts.h"
#include "runlog/run_log_win32.h"
#include "win32_common/utf16.h"

namespace restore_window {

std::string WindowPlatform::ExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return Utf8FromWide(path.substr(0, length));
    path.resize(path.size() * 2);
  }
}

std::vector<std::string> WindowPlatform::Arguments() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 1; arguments && i < count; ++i) out.push_back(Utf8FromWide(arguments[i]));
  LocalFree(arguments);
  return out;
}

std::string WindowPlatform::CentralLogFolder() { return runlog::Win32Sink().Folder(); }

bool WindowPlatform::BrowseForFolder(std::string& path) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring title = WideFromUtf8(texts::FolderDialogTitle);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner_;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  bool confirmed = false;
  if (chosen) {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, folder)) {
      path = Utf8FromWide(folder);
      confirmed = true;
    }
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return confirmed;
}

bool WindowPlatform::Confirm(const std::string& text) {
  return MessageBoxW(owner_, WideFromUtf8(text).c_str(), WideFromUtf8(texts::AppTitle).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void WindowPlatform::ShowError(const std::string& text) {
  MessageBoxW(owner_, WideFromUtf8(text).c_str(), WideFromUtf8(texts::AppTitle).c_str(),
              MB_OK | MB_ICONERROR);
}

std::optional<std::string> WindowPlatform::AskPassword(const std::string& prompt) {
  return AskPasswordDialog(owner_, prompt);
}

}  // namespace restore_window
