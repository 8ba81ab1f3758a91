#pragma once
#include <string>
#include <vector>

#include "dszip/command_line.h"
#include "dszip/file_system.h"

namespace dszip {

struct Item {
  std::string path;        // full source path
  std::string storedName;  // "/" separated; a folder entry ends in "/"
  FileInfo info;           // as seen when selected
  bool IsFolder() const { return !storedName.empty() && storedName.back() == '/'; }
};

struct Selection {
  std::vector<Item> items;
  std::vector<std::string> warnings;
  uint64_t files = 0;
  uint64_t bytes = 0;
};

// The files and empty folders the sources name, in archive order. `archive` (full path) is
// never taken, nor a temporary file of ours beside it.
Selection SelectSources(FileSystem& fs, const Options& options, const std::string& archive);

// The temporary file a run writes beside the archive: "<archive>.<tag>.dszip-tmp".
std::string TemporaryName(const std::string& archive, const std::string& tag);

}  // namespace dszip
