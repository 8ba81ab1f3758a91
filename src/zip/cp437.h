#pragma once
#include <string>

namespace zip {

// Code page 437, the names' encoding when the UTF-8 flag is not set, to UTF-8.
std::string Cp437ToUtf8(const std::string& name);

}  // namespace zip
