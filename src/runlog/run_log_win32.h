#pragma once
// Win32 only: the file work of the run log and the event log entries, for both programs.
#include <string>
#include <utility>

#include "runlog/run_log.h"

namespace runlog {

// Appends `data` whole to the file at `path`, made with a UTF-8 mark when it is new. Writers
// take turns through an exclusive open. When `previous` is given and the data would take the
// file past the bound, the file is first renamed to that name beside it. A write that fails
// leaves the file as it was and raises std::runtime_error with the reason (German, UTF-8).
void AppendWhole(const std::wstring& path, const std::string& data,
                 const std::wstring& previous = {});

// The central log under %LOCALAPPDATA%, and the Application event log under the program's
// source: "dszip", or "Datensicherung" for the launcher.
class Win32Sink : public Sink {
 public:
  explicit Win32Sink(std::string eventSource = "dszip") : eventSource_(std::move(eventSource)) {}
  std::string Folder() override;
  void Append(const std::string& record) override;
  void Report(int exitCode, const std::string& text) override;

 private:
  std::string eventSource_;
};

}  // namespace runlog
