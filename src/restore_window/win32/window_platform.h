#pragma once
// The restore form's services over the real system: dszip's file system and cryptography,
// the shell's folder dialog, message boxes and the password dialog, all owned by the window.
#include <windows.h>

#include "engine/win32/cng_crypto.h"
#include "engine/win32/win32_file_system.h"
#include "restore_window/restore_form.h"

namespace restore_window {

class WindowPlatform : public RestorePlatform {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  dszip::FileSystem& Files() override { return fs_; }
  zip::Crypto& Crypto() override { return crypto_; }
  std::string ExePath() override;
  std::vector<std::string> Arguments() override;
  std::string CentralLogFolder() override;
  bool BrowseForFolder(std::string& path) override;
  bool Confirm(const std::string& text) override;
  void ShowError(const std::string& text) override;
  std::optional<std::string> AskPassword(const std::string& prompt) override;

 private:
  HWND owner_ = nullptr;
  dszip::Win32FileSystem fs_;
  dszip::CngCrypto crypto_;
};

// The password dialog: a prompt, hidden input, OK and Abbrechen; modal to `owner`.
std::optional<std::string> AskPasswordDialog(HWND owner, const std::string& prompt);

}  // namespace restore_window
