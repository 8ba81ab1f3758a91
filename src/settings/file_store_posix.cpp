#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>

#include "core/error.h"
#include "core/texts.h"
#include "settings/file_store.h"

namespace {

[[noreturn]] void CannotWrite(const std::string& path) { throw EError(texts::CannotWrite, path); }

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A fresh file beside the target, created exclusively so that nothing else is overwritten;
// -1 when the folder refuses it.
int CreateTempBeside(const std::string& path, mode_t mode, std::string& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = FolderOf(path) + "/" +
               TemporaryName(NameOf(path), static_cast<unsigned long>(getpid()), counter++);
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Not crash-safe, but what the platform itself does where no new file may be created.
void WriteInPlace(const std::string& target, const std::string& shownPath,
                  const std::string& bytes) {
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) CannotWrite(shownPath);
  bool ok =
      WriteAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok) CannotWrite(shownPath);
}

// Makes the rename itself durable. Some file systems cannot sync a folder; the new file is in
// place by then, so that is no reason to report a failure.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Temporary files of writers that were killed: ours by name, and their process is gone.
void RemoveLeftovers(const std::string& path) {
  const std::string folder = FolderOf(path), name = NameOf(path);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const auto owner = TemporaryOwner(name, entry->d_name);
    if (!owner || *owner == static_cast<unsigned long>(getpid()) || *owner > INT_MAX) continue;
    if (kill(static_cast<pid_t>(*owner), 0) != 0 && errno == ESRCH)
      unlink((folder + "/" + entry->d_name).c_str());
  }
  closedir(dir);
}

// The path through every symbolic link; the path itself when there is no file yet.
std::string Resolved(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

class FolderLock : public FileLock {
 public:
  explicit FolderLock(int fd) : fd_(fd) {}
  ~FolderLock() override { close(fd_); }  // closing releases the lock
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

FileRead ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    return {missing ? FileRead::Outcome::Missing : FileRead::Outcome::Refused, {}};
  }
  // A folder of that name is no settings file either.
  struct stat info {};
  const bool folder = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
  FileRead result{folder ? FileRead::Outcome::Missing : FileRead::Outcome::Refused, {}};
  if (!folder && S_ISREG(info.st_mode)) {
    result.outcome = FileRead::Outcome::Read;
    char chunk[65536];
    for (;;) {
      const ssize_t got = read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) result = {FileRead::Outcome::Refused, {}};
      if (got <= 0) break;
      result.bytes.append(chunk, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  return result;
}

std::unique_ptr<FileLock> LockSettingsFile(const std::string& path,
                                           std::chrono::milliseconds wait) {
  // Beside the file a link leads to, so that runs that reach it by other paths meet there.
  const std::string target = Resolved(path);
  const std::string lockPath = target + ".lock";
  int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  // A folder that takes no lock file takes no temporary file either: every writer then
  // rewrites in place, and locking the folder itself keeps them apart.
  if (fd < 0) fd = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;  // nothing there can be written either
  const auto until = std::chrono::steady_clock::now() + wait;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) break;  // no locks here: go on without
    if (std::chrono::steady_clock::now() >= until) {
      close(fd);
      throw EError(texts::SettingsLocked, path);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return std::make_unique<FolderLock>(fd);
}

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  // Through a symbolic link, the file it points to is the one to replace.
  const std::string target = Resolved(path);
  struct stat info {};
  bool exists = false;
  if (stat(target.c_str(), &info) == 0) {
    // Tests and services often run as root, who may write anything: the owner's write bit is
    // what marks a file read-only, as the platform's read-only attribute does.
    if (!S_ISREG(info.st_mode) || (info.st_mode & S_IWUSR) == 0 ||
        access(target.c_str(), W_OK) != 0)
      CannotWrite(path);
    exists = true;
  } else if (errno != ENOENT) {
    CannotWrite(path);
  }
  if (exists && info.st_nlink > 1) {
    WriteInPlace(target, path, bytes);  // a rename would cut the file off from its other names
    return;
  }

  const mode_t mode = exists ? (info.st_mode & 07777) : 0666;
  std::string tempPath;
  const int fd = CreateTempBeside(target, mode, tempPath);
  if (fd < 0) {
    if (!exists) CannotWrite(path);
    WriteInPlace(target, path, bytes);
    return;
  }
  // fchmod because the umask may have narrowed the mode the new file was created with.
  bool ok = (!exists || fchmod(fd, mode) == 0) && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(tempPath.c_str());
    CannotWrite(path);
  }
  SyncFolder(FolderOf(target));
  RemoveLeftovers(target);
}
