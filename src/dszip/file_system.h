#pragma once
// What dszip needs of the file system, so that its rules run unchanged over the real one and
// over an in-memory fake in the tests. Paths are UTF-8 with "\" as the separator.
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace dszip {

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
  uint64_t changed = 0;   // last change of content or metadata, same ticks; 0 when not known
  // Only from an open file: which file was read (InputFile::Identity), and whether its handle
  // reached it through a link to a file, whose target may lie outside every source (Info).
  FileId id = {};
  bool linked = false;
  bool IsFolder() const { return (attributes & kAttrFolder) != 0; }
  // A junction or a symbolic link to a folder: followed only when named as a source.
  bool IsLinkedFolder() const { return IsFolder() && (attributes & kAttrReparsePoint) != 0; }
};

struct FolderEntry {
  std::string name;
  FileInfo info;
};

struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// A failed file operation; the message is German and names the reason.
class FileError : public std::runtime_error {
 public:
  enum Kind { Other, Exists, NotFound, DiskFull };
  explicit FileError(const std::string& message, Kind kind = Other)
      : std::runtime_error(message), kind_(kind) {}
  bool Is(Kind kind) const { return kind_ == kind; }

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

  // Restoring: the modification time, set through the open file (no second open).
  virtual void SetModified(uint64_t ticks) = 0;

  // Restoring fast: every call by path costs an open and a close more.
  // Time and attributes at once (attributes 0: left as they are).
  virtual void SetModifiedAndAttributes(uint64_t ticks, uint32_t attributes) = 0;
  // The open file takes its final name; Exists when one is there and `replace` is false.
  virtual void Rename(const std::string& path, bool replace) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual std::string FullPath(const std::string& path) = 0;
  virtual std::optional<FileInfo> Stat(const std::string& path) = 0;
  virtual std::vector<FolderEntry> List(const std::string& folder) = 0;
  virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
  virtual std::unique_ptr<OutputFile> CreateNew(const std::string& path) = 0;  // Exists if there
  virtual void MoveNoReplace(const std::string& from, const std::string& to) = 0;
  virtual void Delete(const std::string& path) = 0;
  virtual void SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual void AppendText(const std::string& path, const std::string& text) = 0;
  virtual CivilTime ToLocalTime(uint64_t ticks) = 0;
  virtual uint64_t Now() = 0;

  // Folders compare by identity, through a handle (links followed); unknown when the folder
  // cannot be opened or its file system gives no IDs. Then paths compare as text, by the file
  // system's own rules of case for every letter.
  virtual FileId FolderIdentity(const std::string& path) = 0;
  virtual bool SamePathText(const std::string& a, const std::string& b) = 0;

  // Acting on sources only as they were read: the file is opened without write sharing, its
  // identity, size, last write and change time compared with `read`, and acted on through that
  // handle. Throws FileError with texts::ChangedSince when it differs.
  virtual void DeleteIfUnchanged(const std::string& path, const FileInfo& read) = 0;
  virtual void ClearArchiveIfUnchanged(const std::string& path, const FileInfo& read) = 0;

  // --- the run's frame: the target folder and what killed runs left in it
  virtual void CreateFolder(const std::string& path) = 0;  // one level; Exists when there
  virtual unsigned long ProcessId() = 0;
  virtual bool ProcessEnded(unsigned long id) = 0;

  // Restoring: folders, times, replacing a file, local time back to UTC.
  virtual void SetModified(const std::string& path, uint64_t ticks) = 0;  // files and folders
  virtual void MoveReplace(const std::string& from, const std::string& to) = 0;
  virtual uint64_t FromLocalTime(const CivilTime& time) = 0;
};

inline bool SameContentState(const FileInfo& a, const FileInfo& b) {
  return a.size == b.size && a.modified == b.modified && a.changed == b.changed;
}

// The same file as read, as it was read. An ID known on one side only is another file system.
inline bool SameFileUnchanged(const FileInfo& now, const FileInfo& read) {
  return now.id == read.id && SameContentState(now, read);
}

// Fills `size` bytes; fewer only at the end of the file.
inline size_t ReadFull(InputFile& file, uint8_t* data, size_t size) {
  size_t filled = 0;
  for (size_t got = 1; got > 0 && filled < size; filled += got)
    got = file.Read(data + filled, size - filled);
  return filled;
}

}  // namespace dszip
