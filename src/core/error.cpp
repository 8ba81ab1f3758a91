#include "core/error.h"

std::string FormatMessage1(const std::string& pattern, const std::string& value) {
  std::string result = pattern;
  const auto at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, value);
  return result;
}
