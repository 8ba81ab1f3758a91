#pragma once
// What the ZIP library needs of files: reading sources and archives, writing an archive, and the
// local time that DOS times are given in. The platform (or a test's fake) supplies them. Paths
// are whatever the implementation understands; the library only passes them on.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>

namespace zip {

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrFolder = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrReparsePoint = 0x400;

// Which file or folder a path reaches, however it is spelled (8.3 name, link, mapped drive):
// the volume's serial number and the file ID. All zero where the file system gives none.
struct FileId {
  uint64_t volume = 0;
  uint64_t high = 0, low = 0;
  bool Known() const { return high != 0 || low != 0; }
  bool operator==(const FileId&) const = default;
  bool operator<(const FileId& other) const {  // for maps
    return std::tie(volume, high, low) < std::tie(other.volume, other.high, other.low);
  }
};

struct FileInfo {
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint64_t modified = 0;  // 100-ns ticks since 1601, UTC
  uint64_t accessed = 0;  // the same ticks; 0 when not known
  uint64_t created = 0;
  uint64_t changed = 0;  // last change of content or metadata, same ticks; 0 when not known
  // Only from an open file: which file was read (InputFile::Identity), and whether its handle
  // reached it through a link to a file, whose target may lie outside every source (Info).
  FileId id = {};
  bool linked = false;
  bool IsFolder() const { return (attributes & kAttrFolder) != 0; }
  // A junction or a symbolic link to a folder: followed only when named as a source.
  bool IsLinkedFolder() const { return IsFolder() && (attributes & kAttrReparsePoint) != 0; }
};

struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// A failed file operation: what kind of failure, and the platform's own words for it.
class FileError : public std::runtime_error {
 public:
  enum Kind { Other, Exists, NotFound, DiskFull };
  explicit FileError(const std::string& reason, Kind kind = Other)
      : std::runtime_error(reason), kind_(kind) {}
  bool Is(Kind kind) const { return kind_ == kind; }
  Kind GetKind() const { return kind_; }

 private:
  Kind kind_;
};

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Fills up to `size` bytes; fewer only at the end of the file.
  virtual size_t Read(uint8_t* buffer, size_t size) = 0;
  virtual void Seek(uint64_t offset) = 0;  // from the start

  // Faithful copies: size and times of the open file, change time included.
  virtual FileInfo Info() = 0;
  // Asked only where a deletion or clearing follows: under Wine it costs a round trip to the
  // mount manager per file.
  virtual FileId Identity() = 0;
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual void Write(const uint8_t* data, size_t size) = 0;  // at the end
  virtual void WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
  virtual void Truncate(uint64_t size) = 0;
  virtual void Flush() = 0;  // down to the disk
  virtual void Close() = 0;
};

// Opens what the writer archives and what the read-back check reads; FileError when it cannot.
class Files {
 public:
  virtual ~Files() = default;
  virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
  virtual CivilTime ToLocalTime(uint64_t ticks) = 0;
};

inline bool SameContentState(const FileInfo& a, const FileInfo& b) {
  return a.size == b.size && a.modified == b.modified && a.changed == b.changed;
}

// Fills `size` bytes; fewer only at the end of the file.
inline size_t ReadFull(InputFile& file, uint8_t* data, size_t size) {
  size_t filled = 0;
  for (size_t got = 1; got > 0 && filled < size; filled += got)
    got = file.Read(data + filled, size - filled);
  return filled;
}

}  // namespace zip
