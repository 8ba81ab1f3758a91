// Stand-in archiver for the end-to-end tests: appends the parameter text it was started with
// to recorder.log beside itself and exits. When recorder.hold lies beside it, it first waits
// until that file is gone (30 s at most) and exits with the number the file held. A GUI program, so
// that no console window appears when the shell starts it.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The raw command line after the program's own name and the one blank the shell puts
// between the two; everything else is kept byte for byte.
const char* ParameterText(const char* line) {
  if (*line == '"') {
    const char* close = std::strchr(line + 1, '"');
    line = close ? close + 1 : line + std::strlen(line);
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  if (*line == ' ' || *line == '\t') ++line;
  return line;
}

std::string PathBeside(const char* name) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string result(path, length);
  return result.substr(0, result.find_last_of('\\') + 1) + name;
}

std::string LogPath() { return PathBeside("recorder.log"); }

int Hold() {
  const std::string hold = PathBeside("recorder.hold");
  char code[16] = {};
  HANDLE file = CreateFileA(hold.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD read = 0;
  ReadFile(file, code, sizeof code - 1, &read, nullptr);
  CloseHandle(file);
  for (int waited = 0;
       waited < 30000 && GetFileAttributesA(hold.c_str()) != INVALID_FILE_ATTRIBUTES; waited += 20)
    Sleep(20);
  return atoi(code);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string entry = std::string(ParameterText(GetCommandLineA())) + "\r\n";
  // Two launches at once must not lose a line: retry while the other one holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
      CloseHandle(file);
      return Hold();
    }
    Sleep(10);
  }
  return 0;
}
