#pragma once
#include <stdexcept>
#include <string>

// The one error type of the tool. It carries the message text (Windows-1252, as the logic's
// texts are); only the window layer's dispatcher catches it and shows it in an error box.
class EError : public std::runtime_error {
 public:
  explicit EError(const std::string& message);
  // A message about a file: "%s" in the pattern is filled with the path, which is UTF-8 and may
  // hold characters Windows-1252 lacks. what() shows those as "?"; Shown() keeps them.
  EError(const std::string& pattern, const std::string& utf8Path);

  // The message as the user sees it, in UTF-8.
  const std::string& Shown() const { return shown_; }

 private:
  std::string shown_;
};
