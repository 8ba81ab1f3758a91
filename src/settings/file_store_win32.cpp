#include <windows.h>
// after windows.h
#include <aclapi.h>

#include <algorithm>
#include <string>

#include "core/error.h"
#include "core/texts.h"
#include "win32_common/handle.h"
#include "win32_common/process.h"
#include "win32_common/utf16.h"
#include "settings/file_store.h"

namespace {

[[noreturn]] void CannotWrite(const std::string& path) { throw EError(texts::CannotWrite, path); }

std::wstring FolderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

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

// The new file takes the old one's permissions: an administrator's run must not take away a
// write right the installer gave standard users. Inherited entries come again from the folder,
// unless the old file was cut off from it.
bool CopyPermissions(const std::wstring& from, const std::wstring& to) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  bool ok = GetSecurityDescriptorControl(descriptor, &control, &revision) != 0;
  const SECURITY_INFORMATION what =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                          : UNPROTECTED_DACL_SECURITY_INFORMATION);
  ok = ok && SetNamedSecurityInfoW(const_cast<wchar_t*>(to.c_str()), SE_FILE_OBJECT, what, nullptr,
                                   nullptr, dacl, nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return ok;
}

bool Passing(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// Virus scanners and indexers hold a freshly written file for a moment; give them that moment.
template <typename Step>
bool WithRetries(Step step) {
  for (int attempt = 0;; ++attempt) {
    if (step()) return true;
    if (!Passing(GetLastError()) || attempt == 4) return false;
    Sleep(100);
  }
}

// A fresh file beside the target, created exclusively so that nothing else is overwritten.
HANDLE CreateTempBeside(const std::wstring& target, std::wstring& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string suffix = TemporaryName("", GetCurrentProcessId(), counter++);
    tempPath = target + std::wstring(suffix.begin(), suffix.end());
    const HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Not crash-safe, but what the platform itself does where no new file may be created.
bool WriteInPlace(const std::wstring& target, const std::string& bytes) {
  return WithRetries([&] {
    Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    const bool ok =
        WriteAll(file.Get(), bytes) && SetEndOfFile(file.Get()) && FlushFileBuffers(file.Get());
    return file.Close() && ok;
  });
}

struct Target {
  std::wstring path;  // through any symbolic link
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  DWORD links = 0;
};

// The file the settings path leads to. `attributes` stays invalid when there is none.
Target Resolve(const std::wstring& path) {
  Target target{path};
  Handle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) {
    target.attributes = GetFileAttributesW(path.c_str());
    return target;
  }
  target.attributes = info.dwFileAttributes;
  target.links = info.nNumberOfLinks;
  std::wstring resolved(32768, L'\0');
  const DWORD length =
      GetFinalPathNameByHandleW(file.Get(), resolved.data(), 32768, VOLUME_NAME_DOS);
  if (length > 0 && length < 32768) {
    resolved.resize(length);
    // "\\?\C:\..." for a drive, "\\?\UNC\server\..." for a share.
    if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0)
      resolved = L"\\\\" + resolved.substr(8);
    else if (resolved.rfind(L"\\\\?\\", 0) == 0)
      resolved = resolved.substr(4);
    target.path = resolved;
  }
  return target;
}

// Temporary files of writers that were killed: ours by name, and their process is gone.
void RemoveLeftovers(const std::wstring& target) {
  const std::wstring folder = FolderOf(target);
  const std::wstring name = NameOf(target);
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((target + L".*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring entry = found.cFileName;
    if (entry.size() <= name.size() || entry.compare(0, name.size(), name) != 0) continue;
    const std::wstring rest = entry.substr(name.size());
    if (rest.find_first_not_of(L".-0123456789tmp") != std::wstring::npos) continue;
    const auto owner = TemporaryOwner("", std::string(rest.begin(), rest.end()));
    if (owner && *owner != GetCurrentProcessId() && ProcessEnded(*owner))
      DeleteFileW((folder + L"\\" + entry).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

class LockedFile : public FileLock {
 public:
  explicit LockedFile(HANDLE file, DWORD offset) : file_(file), offset_(offset) {}
  ~LockedFile() override {
    OVERLAPPED at{};
    at.OffsetHigh = offset_;
    UnlockFileEx(file_, 0, 1, 0, &at);
    CloseHandle(file_);
  }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

 private:
  HANDLE file_;
  DWORD offset_;
};

// Opened with every sharing so that other users' runs, and readers, are never refused.
HANDLE OpenShared(const std::wstring& path, DWORD creation, DWORD attributes) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, creation,
                            attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    file =
        CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, attributes, nullptr);
  return file;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  // Another program may hold the file for a moment without sharing; wait up to two seconds.
  HANDLE opened = INVALID_HANDLE_VALUE;
  for (int attempt = 0; opened == INVALID_HANDLE_VALUE; ++attempt) {
    opened = CreateFileW(wide.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    // A folder of that name is no settings file either.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
      return {FileRead::Outcome::Missing, {}};
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
      return {FileRead::Outcome::Refused, {}};
    if (attempt == 20) return {FileRead::Outcome::Busy, {}};
    Sleep(100);
  }
  Handle file(opened);
  FileRead result{FileRead::Outcome::Read, {}};
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr))
      return {FileRead::Outcome::Refused, {}};
    if (got == 0) break;
    result.bytes.append(chunk, got);
  }
  return result;
}

std::unique_ptr<FileLock> LockSettingsFile(const std::string& path,
                                           std::chrono::milliseconds wait) {
  // Beside the file a link leads to, so that runs that reach it by other paths meet there.
  const std::wstring wide = Resolve(WideFromUtf8(path)).path;
  // The lock file is hidden: it means nothing to the user.
  HANDLE file = OpenShared(wide + L".lock", OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
  DWORD offset = 0;
  if (file == INVALID_HANDLE_VALUE) {
    // A folder that takes no lock file takes no temporary file either: every writer then
    // rewrites the settings file in place, so a lock on the file itself holds. It lies far
    // beyond the file's end, where it keeps no reader out.
    file = OpenShared(wide, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    offset = 0x7FFFFFFF;
  }
  if (file == INVALID_HANDLE_VALUE) return nullptr;  // nothing there can be written either
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
  for (;;) {
    OVERLAPPED at{};
    at.OffsetHigh = offset;
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
      return std::make_unique<LockedFile>(file, offset);
    if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) {
      CloseHandle(file);
      return nullptr;  // a file system without locks
    }
    if (GetTickCount64() >= until) {
      CloseHandle(file);
      throw EError(texts::SettingsLocked, path);
    }
    Sleep(5);
  }
}

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  const Target target = Resolve(WideFromUtf8(path));
  bool exists = false;
  if (target.attributes != INVALID_FILE_ATTRIBUTES) {
    // A read-only file is the user's decision; it is refused, not overridden.
    if (target.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) CannotWrite(path);
    exists = true;
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    CannotWrite(path);  // a missing folder among them
  }
  if (exists && target.links > 1) {
    // A rename would cut the file off from its other names.
    if (!WriteInPlace(target.path, bytes)) CannotWrite(path);
    return;
  }

  std::wstring tempPath;
  Handle temp(CreateTempBeside(target.path, tempPath));
  if (!temp.Valid()) {
    if (!exists || !WriteInPlace(target.path, bytes)) CannotWrite(path);
    return;
  }
  bool ok = WriteAll(temp.Get(), bytes) && FlushFileBuffers(temp.Get());
  ok = temp.Close() && ok;
  // Permissions that cannot be carried over are kept by writing in place instead.
  if (ok && exists && !CopyPermissions(target.path, tempPath)) {
    DeleteFileW(tempPath.c_str());
    if (!WriteInPlace(target.path, bytes)) CannotWrite(path);
    return;
  }
  // The new file takes the old one's hidden and system marks and permissions. A rename keeps
  // the settings file in place at every moment (ReplaceFileW, which would keep the old
  // permissions, leaves a gap under Wine).
  const DWORD marks =
      exists ? target.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
  if (ok && marks) SetFileAttributesW(tempPath.c_str(), marks);
  ok = ok && WithRetries([&] {
         return MoveFileExW(tempPath.c_str(), target.path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
       });
  if (!ok) {
    DeleteFileW(tempPath.c_str());
    CannotWrite(path);
  }
  RemoveLeftovers(target.path);
}
