#pragma once
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/cp1252.h"
#include "core/datetime.h"
#include "window_logic/platform.h"

// Records what the logic asked of the system and answers from plain fields.
class FakePlatform : public IPlatform {
 public:
  struct Launch {
    std::string program, parameters;
    bool waited = false;
  };

  DateTime now = EncodeDate(2024, 3, 5) + EncodeTime(9, 30, 0, 0);
  std::set<std::string> existingFiles;
  std::string exePath;
  std::vector<std::string> arguments;
  std::string folderChoice;        // empty: the dialog is cancelled
  std::vector<int> randomNumbers;  // answered in turn, then 0

  std::vector<Launch> launches;
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> folderDialogTitles;
  int fileChecks = 0;
  int randomizeCalls = 0;
  int terminateCalls = 0;
  int haltCalls = 0;
  std::function<void()> onError;  // runs while the error box would be open

  DateTime Now() override { return now; }
  bool FileExists(const std::string& path) override {
    ++fileChecks;
    return existingFiles.count(path) != 0;
  }
  LaunchResult ShellOpen(const std::string& program, const std::string& parameters,
                         bool wait) override {
    launches.push_back({program, parameters, wait});
    if (onLaunch) onLaunch();
    return launchResult;
  }
  // Shown texts are recorded in Windows-1252 like the logic's own, or as the UTF-8 given
  // when they hold a character that code page lacks.
  void ShowMessage(const std::string& text) override { messages.push_back(Recorded(text)); }
  void ShowError(const std::string& text) override {
    errors.push_back(Recorded(text));
    if (onError) onError();
  }
  bool BrowseForFolder(const std::string& title, std::string& path) override {
    folderDialogTitles.push_back(title);
    if (folderChoice.empty()) return false;
    path = folderChoice;
    return true;
  }
  void Randomize() override { ++randomizeCalls; }
  int Random(int range) override {
    const int value = next_ < randomNumbers.size() ? randomNumbers[next_++] : 0;
    return value % range;
  }
  void Terminate() override { ++terminateCalls; }
  void Halt() override { ++haltCalls; }
  std::string ExePath() override { return exePath; }
  std::vector<std::string> Arguments() override { return arguments; }

  // --- the run's verdict
  LaunchResult launchResult{true, 0, {}};
  std::function<void()> onLaunch;   // runs while the archiver would run
  std::vector<std::string> runLog;  // the records, in Windows-1252 where they can be
  int exitCode = 0;
  void AppendRunLog(const std::string& record) override { runLog.push_back(Recorded(record)); }
  std::vector<std::string> events;  // "<code>: <text>", in Windows-1252 where they can be
  void ReportEvent(int code, const std::string& text) override {
    events.push_back(std::to_string(code) + ": " + Recorded(text));
  }
  void SetExitCode(int code) override { exitCode = code; }

 private:
  static std::string Recorded(const std::string& utf8) {
    return Cp1252FromUtf8(utf8).value_or(utf8);
  }
  size_t next_ = 0;
};
