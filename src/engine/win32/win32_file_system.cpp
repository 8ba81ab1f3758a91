#include "engine/win32/win32_file_system.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "engine/texts.h"
#include "runlog/run_log_win32.h"
#include "win32_common/handle.h"
#include "win32_common/process.h"
#include "win32_common/system_error.h"
#include "win32_common/utf16.h"

namespace dszip {
namespace {

// The platform's reason, and the kinds of failure the logic acts on.
FileError LastError() {
  const DWORD code = GetLastError();
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileError(SystemErrorText(code), FileError::NotFound);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileError(SystemErrorText(code), FileError::Exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError(SystemErrorText(code), FileError::DiskFull);
    default: return FileError(SystemErrorText(code));
  }
}

std::wstring LongPath(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
  if (wide.size() >= 2 && wide[1] == L':') return L"\\\\?\\" + wide;
  return wide;
}

uint64_t Ticks(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

DWORD SettableAttributes(uint32_t attributes) {
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD settable = attributes & kSettable;
  return settable == 0 ? FILE_ATTRIBUTE_NORMAL : settable;
}

// From a listing or a look-up: both kinds of data name their fields alike.
template <typename Data>
FileInfo Info(const Data& data) {
  return {.attributes = static_cast<uint32_t>(data.dwFileAttributes),
          .size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
          .modified = Ticks(data.ftLastWriteTime),
          .accessed = Ticks(data.ftLastAccessTime),
          .created = Ticks(data.ftCreationTime)};
}

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  const HANDLE handle =
      CreateFileW(LongPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw LastError();
  return handle;
}

// Size and times of an open handle; the change time is what a write moves and what tools
// that put the modification time back do not.
FileInfo HandleInfo(HANDLE handle) {
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
    throw LastError();
  FileInfo info;
  info.attributes = basic.FileAttributes;
  info.size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
  info.modified = static_cast<uint64_t>(basic.LastWriteTime.QuadPart);
  info.accessed = static_cast<uint64_t>(basic.LastAccessTime.QuadPart);
  info.created = static_cast<uint64_t>(basic.CreationTime.QuadPart);
  info.changed = static_cast<uint64_t>(basic.ChangeTime.QuadPart);
  return info;
}

// A source opened with `access` and no write sharing, so that nothing writes to it between the
// comparison and what is done through the handle. A link is opened itself, never its target:
// its own times differ from what was read through it, so it is left alone.
HANDLE OpenNoWriters(const std::string& path, DWORD access) {
  return Open(path, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_DELETE,
              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
}

// The same file as read, as it was read: identity, size and times.
FILE_BASIC_INFO BasicIfUnchanged(HANDLE file, const FileInfo& read) {
  FileInfo now = HandleInfo(file);
  now.id = HandleIdentity(file);
  if (!SameFileUnchanged(now, read)) throw FileError(texts::ChangedSince);
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) throw LastError();
  return basic;
}

class Win32Input : public InputFile {
 public:
  explicit Win32Input(HANDLE handle) : handle_(handle) {}
  // Asked once: a handle keeps the file it reached.
  void FindLink(LinkFinder& links, const std::wstring& path) {
    linked_ = links.ThroughLink(handle_.Get(), path);
  }
  size_t Read(uint8_t* buffer, size_t size) override {
    DWORD got = 0;
    if (!ReadFile(handle_.Get(), buffer, static_cast<DWORD>(size), &got, nullptr))
      throw LastError();
    return got;
  }
  void Seek(uint64_t offset) override {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_.Get(), position, nullptr, FILE_BEGIN)) throw LastError();
  }
  FileInfo Info() override {
    FileInfo info = HandleInfo(handle_.Get());
    info.linked = linked_;
    return info;
  }
  FileId Identity() override { return HandleIdentity(handle_.Get()); }

 private:
  Handle handle_;
  bool linked_ = false;
};

class Win32Output : public OutputFile {
 public:
  explicit Win32Output(HANDLE handle) : handle_(handle) {}
  // At the file pointer, without an OVERLAPPED: under Wine a write with one posts a completion,
  // a round trip to its server per write.
  void Write(const uint8_t* data, size_t size) override {
    if (pointer_ != end_) {
      LARGE_INTEGER position;
      position.QuadPart = static_cast<LONGLONG>(end_);
      if (!SetFilePointerEx(handle_.Get(), position, nullptr, FILE_BEGIN)) throw LastError();
    }
    pointer_ = kUnknown;
    DWORD written = 0;
    if (!WriteFile(handle_.Get(), data, static_cast<DWORD>(size), &written, nullptr))
      throw LastError();
    if (written != size) throw FileError(SystemErrorText(ERROR_DISK_FULL), FileError::DiskFull);
    pointer_ = end_ += size;
  }
  void WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    pointer_ = kUnknown;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!WriteFile(handle_.Get(), data, static_cast<DWORD>(size), &written, &at)) throw LastError();
    if (written != size) throw FileError(SystemErrorText(ERROR_DISK_FULL), FileError::DiskFull);
    end_ = std::max(end_, offset + size);
  }
  void Truncate(uint64_t size) override {
    pointer_ = kUnknown;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle_.Get(), position, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(handle_.Get()))
      throw LastError();
    pointer_ = end_ = size;
  }
  void Flush() override {
    if (!FlushFileBuffers(handle_.Get())) throw LastError();
  }
  void Close() override {
    if (!handle_.Close()) throw LastError();
  }

  void SetModified(uint64_t ticks) override {
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    if (!SetFileTime(handle_.Get(), nullptr, nullptr, &time)) throw LastError();
  }

  // Through the handle: under Wine each call by path is a round trip to its server and back.
  void SetModifiedAndAttributes(uint64_t ticks, uint32_t attributes) override {
    FILE_BASIC_INFO basic{};  // 0: left as it is
    basic.LastWriteTime.QuadPart = static_cast<LONGLONG>(ticks);
    if (attributes != 0) basic.FileAttributes = SettableAttributes(attributes);
    if (!SetFileInformationByHandle(handle_.Get(), FileBasicInfo, &basic, sizeof basic))
      throw LastError();
  }
  void Rename(const std::string& path, bool replace) override {
    const std::wstring target = LongPath(path);
    std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
    if (!SetFileInformationByHandle(handle_.Get(), FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size())))
      throw LastError();
  }

 private:
  static constexpr uint64_t kUnknown = UINT64_MAX;
  Handle handle_;
  uint64_t end_ = 0;
  uint64_t pointer_ = 0;  // where the file pointer is, as far as known
};

}  // namespace

std::string Win32FileSystem::FullPath(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD used = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(used);
  return Utf8FromWide(full);
}

std::optional<FileInfo> Win32FileSystem::Stat(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return Info(data);
}

std::vector<FolderEntry> Win32FileSystem::List(const std::string& folder) {
  std::wstring pattern = LongPath(folder);
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return {};
    throw LastError();
  }
  std::vector<FolderEntry> entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({Utf8FromWide(name), Info(data)});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

std::unique_ptr<InputFile> Win32FileSystem::OpenRead(const std::string& path) {
  // Others may go on reading, writing and even deleting while we read.
  auto file = std::make_unique<Win32Input>(
      Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  file->FindLink(links_, LongPath(path));
  return file;
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateNew(const std::string& path) {
  // DELETE: a restored file takes its final name through this handle.
  return std::make_unique<Win32Output>(Open(path, GENERIC_READ | GENERIC_WRITE | DELETE,
                                            FILE_SHARE_READ, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
}

void Win32FileSystem::MoveNoReplace(const std::string& from, const std::string& to) {
  if (!MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_WRITE_THROUGH))
    throw LastError();
}

void Win32FileSystem::Delete(const std::string& path) {
  if (!DeleteFileW(LongPath(path).c_str())) throw LastError();
}

void Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (!SetFileAttributesW(LongPath(path).c_str(), SettableAttributes(attributes)))
    throw LastError();
}

void Win32FileSystem::AppendText(const std::string& path, const std::string& text) {
  // Whole or not at all, one run at a time; a new log starts with the UTF-8 mark.
  try {
    runlog::AppendWhole(LongPath(path), text);
  } catch (const std::runtime_error& error) {
    throw FileError(error.what());
  }
}

// The zone read once: asking for it per file costs a registry read each time under Wine.
static const TIME_ZONE_INFORMATION& Zone() {
  static const TIME_ZONE_INFORMATION zone = [] {
    TIME_ZONE_INFORMATION information{};
    GetTimeZoneInformation(&information);
    return information;
  }();
  return zone;
}

CivilTime Win32FileSystem::ToLocalTime(uint64_t ticks) {
  const TIME_ZONE_INFORMATION& zone = Zone();
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&utc, &universal) ||
      !SystemTimeToTzSpecificLocalTime(&zone, &universal, &local))
    return {};
  return {.year = local.wYear,
          .month = local.wMonth,
          .day = local.wDay,
          .hour = local.wHour,
          .minute = local.wMinute,
          .second = local.wSecond};
}

FileId Win32FileSystem::FolderIdentity(const std::string& path) {
  return dszip::FolderIdentity(LongPath(path));
}

bool Win32FileSystem::SamePathText(const std::string& a, const std::string& b) {
  return SameText(WideFromUtf8(a), WideFromUtf8(b));
}

uint64_t Win32FileSystem::Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Ticks(now);
}

void Win32FileSystem::DeleteIfUnchanged(const std::string& path, const FileInfo& read) {
  const Handle file(OpenNoWriters(path, DELETE));
  BasicIfUnchanged(file.Get(), read);
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition,
                                  sizeof disposition))
    throw LastError();
}

void Win32FileSystem::ClearArchiveIfUnchanged(const std::string& path, const FileInfo& read) {
  const Handle file(OpenNoWriters(path, FILE_WRITE_ATTRIBUTES));
  FILE_BASIC_INFO basic = BasicIfUnchanged(file.Get(), read);
  basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;  // 0: left as they are
  basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
  basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic))
    throw LastError();
}

void Win32FileSystem::CreateFolder(const std::string& path) {
  if (!CreateDirectoryW(LongPath(path).c_str(), nullptr)) throw LastError();
}

unsigned long Win32FileSystem::ProcessId() { return GetCurrentProcessId(); }

// As the settings writer decides about its own temporary files: gone, or there and ended.
bool Win32FileSystem::ProcessEnded(unsigned long id) { return ::ProcessEnded(id); }

std::string Win32FileSystem::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? Utf8FromWide(std::wstring(name, size)) : std::string();
}

void Win32FileSystem::SetModified(const std::string& path, uint64_t ticks) {
  // Backup semantics: folders open too.
  Handle file(Open(path, FILE_WRITE_ATTRIBUTES,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                   FILE_FLAG_BACKUP_SEMANTICS));
  const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  if (!SetFileTime(file.Get(), nullptr, nullptr, &time)) throw LastError();
}

void Win32FileSystem::MoveReplace(const std::string& from, const std::string& to) {
  if (!MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw LastError();
}

uint64_t Win32FileSystem::FromLocalTime(const CivilTime& time) {
  SYSTEMTIME local{static_cast<WORD>(time.year),
                   static_cast<WORD>(time.month),
                   0,
                   static_cast<WORD>(time.day),
                   static_cast<WORD>(time.hour),
                   static_cast<WORD>(time.minute),
                   static_cast<WORD>(time.second),
                   0};
  SYSTEMTIME universal;
  FILETIME ticks;
  if (!TzSpecificLocalTimeToSystemTime(&Zone(), &local, &universal) ||
      !SystemTimeToFileTime(&universal, &ticks))
    return 0;
  return Ticks(ticks);
}

}  // namespace dszip
