#include "engine/win32/file_identity.h"

#include <cstring>

#include "win32_common/handle.h"

namespace dszip {
namespace {

// FILE_ID_INFO of Windows 8 and later, which the headers for Windows 7 leave out: on ReFS only
// the 128-bit ID tells files apart.
struct IdInfo {
  ULONGLONG volumeSerialNumber;
  BYTE fileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
  return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

// "" when the file system gives none.
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length =
        GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);  // too short: the length asked for, with room for the end
  }
  return {};
}

// A folder opens without its closing backslash, a drive's root with it.
HANDLE OpenFolder(std::wstring folder) {
  if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':')
    folder.pop_back();
  return CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The name of the file's last part as the folder holds it, when it was named by its 8.3 name.
std::wstring LongName(const std::wstring& path) {
  const DWORD length = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (length == 0) return {};
  std::wstring full(length, L'\0');
  full.resize(GetLongPathNameW(path.c_str(), full.data(), length));
  return full.substr(full.find_last_of(L'\\') + 1);
}

}  // namespace

FileId HandleIdentity(HANDLE handle) {
  IdInfo id{};
  if (GetFileInformationByHandleEx(handle, kFileIdInfo, &id, sizeof id)) {
    FileId result{.volume = id.volumeSerialNumber};
    std::memcpy(&result.low, id.fileId, sizeof result.low);
    std::memcpy(&result.high, id.fileId + sizeof result.low, sizeof result.high);
    if (result.Known()) return result;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle, &information)) return {};
  return {
      .volume = information.dwVolumeSerialNumber,
      .low = static_cast<uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
}

FileId FolderIdentity(const std::wstring& folder) {
  const Handle handle(OpenFolder(folder));
  return handle.Valid() ? HandleIdentity(handle.Get()) : FileId{};
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool LinkFinder::ThroughLink(HANDLE file, const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return false;
  const std::wstring reached = FinalPath(file);
  const std::wstring folder = FolderFinalPath(path.substr(0, slash + 1));
  if (reached.empty() || folder.empty()) return false;  // nothing to tell by
  if (SameText(reached, Joined(folder, path.substr(slash + 1)))) return false;
  const std::wstring longName = LongName(path);
  return longName.empty() || !SameText(reached, Joined(folder, longName));
}

std::wstring LinkFinder::FolderFinalPath(const std::wstring& folder) {
  {
    const std::lock_guard<std::mutex> lock(guard_);
    if (const auto at = folders_.find(folder); at != folders_.end()) return at->second;
  }
  const Handle handle(OpenFolder(folder));
  const std::wstring reached = handle.Valid() ? FinalPath(handle.Get()) : std::wstring();
  const std::lock_guard<std::mutex> lock(guard_);
  folders_[folder] = reached;
  return reached;
}

}  // namespace dszip
