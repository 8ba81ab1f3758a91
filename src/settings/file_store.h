#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>

// Whole-file access for the settings file. Paths are UTF-8, so that a folder's name may hold
// any character; the file's contents are plain bytes.

struct FileRead {
  enum class Outcome {
    Read,     // bytes hold the file
    Missing,  // nothing at the path, a folder there, or no folder of the path's name
    Busy,     // another program holds the file without sharing, still after a short wait
    Refused,  // no right to read, or a failed read
  };
  Outcome outcome = Outcome::Missing;
  std::string bytes;
};
FileRead ReadWholeFile(const std::string& path);

// Keeps every run of the tool that uses the same settings file, in any process, session or
// user account, out of a sequence of reads and writes until it is released.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

inline constexpr std::chrono::milliseconds kLockWait{10000};

// Takes the interlock of the settings file at `path`, waiting at most `wait` for another run
// to release it; raises texts::SettingsLocked after that. The lock lives in a small file
// beside the settings file, "<name>.lock", which stays there.
std::unique_ptr<FileLock> LockSettingsFile(const std::string& path,
                                           std::chrono::milliseconds wait = kLockWait);

// Replaces the file's contents so that a crash leaves either the old or the new file, and
// the file exists at every moment: the new bytes go to a fresh file beside it, are flushed
// and then renamed over the old one. A read-only file is refused and left alone. Where the
// folder takes no new file but the file itself is writable, it is rewritten in place, as the
// platform's own profile functions would; so is a file with several hard links, which keeps
// them. A symbolic link stays a link: the file it points to is replaced.
// Temporary files that killed writers left beside the file are removed afterwards.
// Raises "In <path> kann nicht geschrieben werden" on any failure; no temporary file remains.
void ReplaceFileContents(const std::string& path, const std::string& bytes);

// Shared by the platform implementations: the name of a temporary file beside `fileName`, and
// the id of the process that made one (nothing for a name that is not ours).
std::string TemporaryName(const std::string& fileName, unsigned long processId, unsigned counter);
std::optional<unsigned long> TemporaryOwner(const std::string& fileName, const std::string& name);
