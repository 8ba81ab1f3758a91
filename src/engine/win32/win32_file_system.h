#pragma once
#include <string>

#include "engine/file_system.h"
#include "engine/win32/file_identity.h"

namespace dszip {

// The real file system: wide APIs on "\\?\" paths, so that long paths work.
class Win32FileSystem : public FileSystem {
 public:
  std::string FullPath(const std::string& path) override;
  std::optional<FileInfo> Stat(const std::string& path) override;
  std::vector<FolderEntry> List(const std::string& folder) override;
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateNew(const std::string& path) override;
  void MoveNoReplace(const std::string& from, const std::string& to) override;
  void Delete(const std::string& path) override;
  void SetAttributes(const std::string& path, uint32_t attributes) override;
  void AppendText(const std::string& path, const std::string& text) override;
  CivilTime ToLocalTime(uint64_t ticks) override;
  uint64_t Now() override;
  FileId FolderIdentity(const std::string& path) override;
  bool SamePathText(const std::string& a, const std::string& b) override;

  // Acting on sources only as they were read.
  void DeleteIfUnchanged(const std::string& path, const FileInfo& read) override;
  void ClearArchiveIfUnchanged(const std::string& path, const FileInfo& read) override;

  // --- the run's frame: the target folder and what killed runs left in it
  void CreateFolder(const std::string& path) override;
  unsigned long ProcessId() override;
  bool ProcessEnded(unsigned long id) override;
  std::string ComputerName() override;

  // Restoring.
  void SetModified(const std::string& path, uint64_t ticks) override;
  void MoveReplace(const std::string& from, const std::string& to) override;
  uint64_t FromLocalTime(const CivilTime& time) override;

 private:
  LinkFinder links_;
};

}  // namespace dszip
