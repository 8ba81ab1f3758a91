#include <windows.h>

#include <algorithm>
#include <string>

#include "core/error.h"
#include "core/texts.h"
#include "settings/file_store.h"

namespace {

[[noreturn]] void CannotWrite(const std::string& path) {
  throw EError(FormatMessage1(texts::CannotWrite, path));
}

// Paths are ANSI texts like every text of the tool; the W functions take them converted.
std::wstring Wide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
  return wide;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    if (!Valid()) return true;
    const bool ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk)
      return false;
    done += written;
  }
  return true;
}

// A fresh file beside the target, created exclusively so that nothing else is overwritten.
HANDLE CreateTempBeside(const std::wstring& target, std::wstring& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(counter++) + L".tmp";
    const HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Virus scanners and indexers hold a freshly written file for a moment; give them that moment.
template <typename Step>
bool WithRetries(Step step) {
  for (int attempt = 0;; ++attempt) {
    if (step()) return true;
    const DWORD error = GetLastError();
    const bool passing = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                         error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
    if (!passing || attempt == 4) return false;
    Sleep(100);
  }
}

// Whether another program holds the target so that it cannot be replaced. Asked before each
// ReplaceFileW because Wine's version leaves a stray file in the folder when it fails so.
bool IsFreeToReplace(const std::wstring& target) {
  const HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

// Not crash-safe, but what the platform itself does where no new file may be created.
bool WriteInPlace(const std::wstring& target, const std::string& bytes) {
  Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const bool ok =
      WriteAll(file.Get(), bytes) && SetEndOfFile(file.Get()) && FlushFileBuffers(file.Get());
  return file.Close() && ok;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return std::nullopt;  // missing, a folder, or locked away from us
  std::string bytes;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  return bytes;
}

bool NothingAt(const std::string& path) {
  if (GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  const std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  bool exists = false;
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A read-only file is the user's decision; it is refused, not overridden.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) CannotWrite(path);
    exists = true;
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    CannotWrite(path);  // a missing folder among them
  }

  std::wstring tempPath;
  Handle temp(CreateTempBeside(target, tempPath));
  if (!temp.Valid()) {
    if (!exists || !WriteInPlace(target, bytes)) CannotWrite(path);
    return;
  }
  bool ok = WriteAll(temp.Get(), bytes) && FlushFileBuffers(temp.Get());
  ok = temp.Close() && ok;
  // ReplaceFileW keeps the old file's attributes and permissions on the new one.
  ok = ok && WithRetries([&] {
         return exists ? IsFreeToReplace(target) &&
                             ReplaceFileW(target.c_str(), tempPath.c_str(), nullptr,
                                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                       : MoveFileExW(tempPath.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
       });
  if (!ok) {
    DeleteFileW(tempPath.c_str());
    CannotWrite(path);
  }
}
