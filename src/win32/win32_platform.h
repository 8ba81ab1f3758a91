#pragma once
#include <windows.h>

#include <functional>
#include <random>

#include "window_logic/platform.h"

// The operating system's services for the window's logic, for real.
class TWin32Platform : public IPlatform {
 public:
  TWin32Platform();

  // Owner of the shell launch, the folder dialog and error boxes; may stay unset.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  DateTime Now() override;
  bool FileExists(const std::string& path) override;
  LaunchResult ShellOpen(const std::string& program, const std::string& parameters,
                         bool wait) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool BrowseForFolder(const std::string& title, std::string& path) override;
  void Randomize() override;
  int Random(int range) override;
  void Terminate() override;
  void Halt() override;
  std::string ExePath() override;
  std::vector<std::string> Arguments() override;

  // --- the run's verdict
  void AppendRunLog(const std::string& record) override;
  void ReportEvent(int exitCode, const std::string& text) override;
  void SetExitCode(int code) override { exitCode_ = code; }
  int ExitCode() const { return exitCode_; }
  // How the window's messages are handled while the platform waits for the archiver.
  void SetMessageHandler(std::function<void(MSG&)> handler) {
    messageHandler_ = std::move(handler);
  }

 private:
  void WaitResponsive(HANDLE process);
  int exitCode_ = 0;
  std::function<void(MSG&)> messageHandler_;
  HWND mainWindow_ = nullptr;
  std::mt19937 random_;
};

// A picker's SYSTEMTIME and the tool's DateTime, whole value (time of day included).
SYSTEMTIME ToSystemTime(DateTime value);
DateTime FromSystemTime(const SYSTEMTIME& time);
