#pragma once
#include <stdexcept>
#include <string>

// The one error type of the tool. It carries the message text (Windows-1252, as shown to the
// user); only the window layer's dispatcher catches it and shows it in an error box.
class EError : public std::runtime_error {
 public:
  explicit EError(const std::string& message) : std::runtime_error(message) {}
};

// "%s" in a message pattern replaced by one text.
std::string FormatMessage1(const std::string& pattern, const std::string& value);
