#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/error.h"
#include "core/texts.h"
#include "settings/file_store.h"

namespace {

[[noreturn]] void CannotWrite(const std::string& path) {
  throw EError(FormatMessage1(texts::CannotWrite, path));
}

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

// A fresh file beside the target, created exclusively so that nothing else is overwritten;
// -1 when the folder refuses it.
int CreateTempBeside(const std::string& path, mode_t mode, std::string& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Not crash-safe, but what the platform itself does where no new file may be created.
void WriteInPlace(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) CannotWrite(path);
  bool ok =
      WriteAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok) CannotWrite(path);
}

// Makes the rename itself durable. Some file systems cannot sync a folder; the new file is in
// place by then, so that is no reason to report a failure.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> bytes;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.emplace();
    char chunk[65536];
    for (;;) {
      const ssize_t got = read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) bytes.reset();
      if (got <= 0) break;
      bytes->append(chunk, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  return bytes;
}

bool NothingAt(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  struct stat target {};
  bool exists = false;
  if (stat(path.c_str(), &target) == 0) {
    // Tests and services often run as root, who may write anything: the owner's write bit is
    // what marks a file read-only, as the platform's read-only attribute does.
    if (!S_ISREG(target.st_mode) || (target.st_mode & S_IWUSR) == 0 ||
        access(path.c_str(), W_OK) != 0)
      CannotWrite(path);
    exists = true;
  } else if (errno != ENOENT) {
    CannotWrite(path);
  }

  const mode_t mode = exists ? (target.st_mode & 07777) : 0666;
  std::string tempPath;
  const int fd = CreateTempBeside(path, mode, tempPath);
  if (fd < 0) {
    if (!exists) CannotWrite(path);
    WriteInPlace(path, bytes);
    return;
  }
  // fchmod because the umask may have narrowed the mode the new file was created with.
  bool ok = (!exists || fchmod(fd, mode) == 0) && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(tempPath.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(tempPath.c_str());
    CannotWrite(path);
  }
  SyncFolder(FolderOf(path));
}
