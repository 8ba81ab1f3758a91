#pragma once
#include <functional>
#include <string>

#include "core/error.h"

// The message of the tool's error that an action raises, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EError& e) {
    return e.what();
  }
  return "(no error)";
}
