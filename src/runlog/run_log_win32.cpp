#include "runlog/run_log_win32.h"

#include <windows.h>

#include <shlobj.h>

#include <stdexcept>

#include "core/cp1252.h"
#include "core/texts.h"
#include "win32_common/handle.h"
#include "win32_common/system_error.h"
#include "win32_common/utf16.h"

namespace runlog {
namespace {

constexpr int kOpenAttempts = 500;  // 20 ms apart: another run's record is written long before
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

std::runtime_error Failure(DWORD code) { return std::runtime_error(SystemErrorText(code)); }

// Readers may look on; no other writer gets in until the handle is closed.
HANDLE OpenExclusive(const std::wstring& path) {
  for (int attempt = 1;; ++attempt) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD code = GetLastError();
    if (code != ERROR_SHARING_VIOLATION || attempt == kOpenAttempts) throw Failure(code);
    Sleep(20);
  }
}

uint64_t SizeOf(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) throw Failure(GetLastError());
  return static_cast<uint64_t>(size.QuadPart);
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

// The bytes go after the old end; on any failure the file is cut back to that end.
void WriteAtEnd(HANDLE file, uint64_t end, const std::string& bytes) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(end);
  DWORD written = 0;
  DWORD code = ERROR_SUCCESS;
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
      !WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    code = GetLastError();
  else if (written != bytes.size())
    code = ERROR_DISK_FULL;  // a short write sets no error; the last one is stale
  else if (FlushFileBuffers(file))
    return;
  else
    code = GetLastError();
  if (code == ERROR_SUCCESS) code = ERROR_DISK_FULL;
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  throw Failure(code);
}

}  // namespace

void AppendWhole(const std::wstring& path, const std::string& data, const std::wstring& previous) {
  for (int round = 0;; ++round) {
    Handle file(OpenExclusive(path));
    const uint64_t size = SizeOf(file.Get());
    // Set aside while held, so that no writer appends to the old file after the rename; a
    // rename that fails only lets the log grow.
    if (round == 0 && !previous.empty() && RotateBefore(size, data.size()) &&
        MoveFileExW(path.c_str(), (FolderOf(path) + previous).c_str(), MOVEFILE_REPLACE_EXISTING))
      continue;
    try {
      WriteAtEnd(file.Get(), size, size == 0 ? kUtf8Mark + data : data);
    } catch (const std::runtime_error&) {
      file.Close();
      if (size == 0) DeleteFileW(path.c_str());  // made by us: no empty log stays behind
      throw;
    }
    if (!file.Close()) throw Failure(GetLastError());
    return;
  }
}

std::string Win32Sink::Folder() {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
    return {};
  return Utf8FromWide(std::wstring(base) + L"\\" + WideFromUtf8(kFolderName)) + "\\";
}

void Win32Sink::Append(const std::string& record) {
  const std::string folder = Folder();
  if (folder.empty()) throw std::runtime_error(Utf8FromCp1252(texts::NoAppDataFolder));
  const std::wstring wideFolder = WideFromUtf8(folder);
  if (!CreateDirectoryW(wideFolder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw Failure(GetLastError());
  AppendWhole(wideFolder + WideFromUtf8(kFileName), record, WideFromUtf8(kPreviousFileName));
}

void Win32Sink::Report(int exitCode, const std::string& text) {
  const HANDLE source = RegisterEventSourceW(nullptr, WideFromUtf8(eventSource_).c_str());
  if (!source) return;
  const WORD type = exitCode == 0   ? EVENTLOG_INFORMATION_TYPE
                    : exitCode == 1 ? EVENTLOG_WARNING_TYPE
                                    : EVENTLOG_ERROR_TYPE;
  const std::wstring wide = WideFromUtf8(text);
  const wchar_t* strings[] = {wide.c_str()};
  ReportEventW(source, type, 0, static_cast<DWORD>(exitCode), nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace runlog
