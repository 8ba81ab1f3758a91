#pragma once
// Where dszip shows what it does: the console window, or a test's recorder.
#include <optional>
#include <string>

namespace dszip {

class Console {
 public:
  virtual ~Console() = default;
  virtual void Progress(const std::string& line) = 0;  // replaces the previous progress line
  virtual void Line(const std::string& text) = 0;      // stays

  // Restoring: a password typed without echo; nothing when no console is attached.
  virtual std::optional<std::string> AskPassword(const std::string& prompt) {
    (void)prompt;
    return std::nullopt;
  }
};

}  // namespace dszip
