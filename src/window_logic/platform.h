#pragma once
#include <string>
#include <vector>

#include "core/datetime.h"

// The few services of the operating system that the window's logic needs. The Win32 layer
// implements them for real; the tests use a recording fake. Texts are Windows-1252, except the
// program's own path and the texts shown in message boxes, which are UTF-8 because a folder's
// name may hold any character.
class IPlatform {
 public:
  virtual ~IPlatform() = default;

  virtual DateTime Now() = 0;
  // True for an existing file; a directory of that name does not count.
  virtual bool FileExists(const std::string& path) = 0;
  // Shell "open" of a program with a parameter text, owned by the main window, SW_SHOW,
  // no working directory. With `wait` it returns only once the program has ended, the window
  // kept responsive meanwhile, and gives its exit code.
  struct LaunchResult {
    bool started = false;
    int exitCode = 0;     // with `wait`
    std::string failure;  // why it did not start, UTF-8
  };
  virtual LaunchResult ShellOpen(const std::string& program, const std::string& parameters,
                                 bool wait) = 0;
  // Plain message dialog: application title, no icon, one "OK" button, centred on the screen.
  // The text is UTF-8.
  virtual void ShowMessage(const std::string& text) = 0;
  // Error box: application title, error icon, one OK button. The text is UTF-8.
  virtual void ShowError(const std::string& text) = 0;
  // Folder-browse dialog; true and the chosen path when the user confirms a folder whose
  // path Windows-1252 can hold.
  virtual bool BrowseForFolder(const std::string& title, std::string& path) = 0;
  virtual void Randomize() = 0;
  // A number from 0 to range - 1.
  virtual int Random(int range) = 0;
  // Ends the message loop; the handler that asks for it still runs to its end.
  virtual void Terminate() = 0;
  // Ends the process at once with the exit code set so far (0 unless SetExitCode said other).
  virtual void Halt() = 0;
  // UTF-8, exactly as the system gives it.
  virtual std::string ExePath() = 0;
  // The arguments after the program's own name. One that Windows-1252 cannot hold exactly
  // comes as an empty text, which matches no switch.
  virtual std::vector<std::string> Arguments() = 0;

  // --- the run's verdict
  // Appends a record (UTF-8) to the central run log; a log that cannot be written is skipped,
  // so that the window goes on as it always did.
  virtual void AppendRunLog(const std::string& record) = 0;
  // An entry in the system's event log (Application, source "Datensicherung"): an error with
  // the exit code as its id and the text (UTF-8). One that cannot be written is skipped.
  virtual void ReportEvent(int exitCode, const std::string& text) = 0;
  // The code the process ends with.
  virtual void SetExitCode(int code) = 0;
};
