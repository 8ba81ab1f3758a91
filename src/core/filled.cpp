#include "core/filled.h"

std::string Filled(std::string_view pattern, std::initializer_list<std::string> values) {
  std::string result;
  size_t from = 0;
  for (const std::string& value : values) {
    const size_t at = pattern.find("%s", from);
    if (at == std::string_view::npos) break;
    result.append(pattern.substr(from, at - from)).append(value);
    from = at + 2;
  }
  return result.append(pattern.substr(from));
}
