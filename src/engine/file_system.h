#pragma once
// What dszip needs of the file system beyond what the ZIP library asks, so that its rules run
// unchanged over the real one and over an in-memory fake in the tests. Paths are UTF-8 with "\"
// as the separator.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zip/files.h"

namespace dszip {

// The program speaks the ZIP library's vocabulary (files, records, entries) unqualified.
using namespace zip;  // NOLINT(google-build-using-namespace)

struct FolderEntry {
  std::string name;
  FileInfo info;
};

// A file written by the program: an archive before its check, or a restored file.
class OutputFile : public zip::OutputFile {
 public:
  // Restoring: the modification time, set through the open file (no second open).
  virtual void SetModified(uint64_t ticks) = 0;

  // Restoring fast: every call by path costs an open and a close more.
  // Time and attributes at once (attributes 0: left as they are).
  virtual void SetModifiedAndAttributes(uint64_t ticks, uint32_t attributes) = 0;
  // The open file takes its final name; Exists when one is there and `replace` is false.
  virtual void Rename(const std::string& path, bool replace) = 0;
};

class FileSystem : public zip::Files {
 public:
  virtual std::string FullPath(const std::string& path) = 0;
  virtual std::optional<FileInfo> Stat(const std::string& path) = 0;
  virtual std::vector<FolderEntry> List(const std::string& folder) = 0;
  virtual std::unique_ptr<OutputFile> CreateNew(const std::string& path) = 0;  // Exists if there
  virtual void MoveNoReplace(const std::string& from, const std::string& to) = 0;
  virtual void Delete(const std::string& path) = 0;
  virtual void SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual void AppendText(const std::string& path, const std::string& text) = 0;
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
  // What each archive records as the computer that made it: sets of one folder are told apart
  // by it.
  virtual std::string ComputerName() = 0;

  // Restoring: folders, times, replacing a file, local time back to UTC.
  virtual void SetModified(const std::string& path, uint64_t ticks) = 0;  // files and folders
  virtual void MoveReplace(const std::string& from, const std::string& to) = 0;
  virtual uint64_t FromLocalTime(const CivilTime& time) = 0;
};

// The same file as read, as it was read. An ID known on one side only is another file system.
inline bool SameFileUnchanged(const FileInfo& now, const FileInfo& read) {
  return now.id == read.id && SameContentState(now, read);
}

}  // namespace dszip
