#pragma once
// A file written under a temporary name beside its final one: an archive before its check, a
// restored file before its time and attributes are set.
#include <memory>
#include <string>
#include <utility>

#include "engine/file_system.h"

namespace dszip {

// The ending of every temporary file: a backup does not take them as sources, and removes those
// a killed run left beside its archive.
inline constexpr const char* kTemporarySuffix = ".dszip-tmp";

// The temporary file a run writes beside the archive or a restored file:
// "<path>.<tag>.dszip-tmp".
inline std::string TemporaryName(const std::string& path, const std::string& tag) {
  return path + "." + tag + kTemporarySuffix;
}

// Created at once (FileError when it cannot be); removed again unless it was kept, so that no
// half-written file stays behind.
class TemporaryFile {
 public:
  TemporaryFile(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
    out = fs_.CreateNew(path_);
  }
  ~TemporaryFile() {
    out.reset();
    if (kept_) return;
    try {
      fs_.Delete(path_);
    } catch (const FileError&) {
      try {  // read-only already, as a restored file's attributes say, when its renaming failed
        fs_.SetAttributes(path_, 0);
        fs_.Delete(path_);
      } catch (const FileError&) {
      }
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& Path() const { return path_; }
  // It took its final name: nothing to remove.
  void Keep() { kept_ = true; }

  std::unique_ptr<OutputFile> out;

 private:
  FileSystem& fs_;
  std::string path_;
  bool kept_ = false;
};

}  // namespace dszip
