#include <cstddef>

#include "settings/file_store.h"

// "<name>.<process id>-<counter>.tmp": the process id tells a later write whether the writer
// may still be at work.
std::string TemporaryName(const std::string& fileName, unsigned long processId, unsigned counter) {
  return fileName + "." + std::to_string(processId) + "-" + std::to_string(counter) + ".tmp";
}

std::optional<unsigned long> TemporaryOwner(const std::string& fileName, const std::string& name) {
  const std::string suffix = ".tmp";
  if (name.size() <= fileName.size() + 1 + suffix.size() ||
      name.compare(0, fileName.size(), fileName) != 0 || name[fileName.size()] != '.' ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return std::nullopt;
  const std::string middle =
      name.substr(fileName.size() + 1, name.size() - fileName.size() - 1 - suffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size() || dash > 10)
    return std::nullopt;
  unsigned long id = 0;
  for (std::size_t i = 0; i < middle.size(); ++i) {
    if (i == dash) continue;
    if (middle[i] < '0' || middle[i] > '9') return std::nullopt;
    if (i < dash) id = id * 10 + static_cast<unsigned long>(middle[i] - '0');
  }
  return id;
}
