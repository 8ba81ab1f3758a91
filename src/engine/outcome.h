#pragma once
// How a run of dszip ends: its exit code, and the error that ends it early.
#include <stdexcept>
#include <string>

namespace dszip {

enum ExitCode {
  kExitOk = 0,
  kExitWarning = 1,
  kExitFatal = 2,
  kExitUsage = 7,
  kExitArchiveExists = 9,
  kExitNothingToDo = 10,
  kExitBadPassword = 11,
  kExitInterrupted = 255,
};

// A run ends early with this: the exit code and the German message saying why.
class RunError : public std::runtime_error {
 public:
  RunError(int exitCode, const std::string& message)
      : std::runtime_error(message), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// The last line of every summary: "Ergebnis: Erfolgreich (Exit-Code 0)" and the like.
std::string ResultLine(int exitCode);

}  // namespace dszip
