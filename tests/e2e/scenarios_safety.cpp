// Scenarios of the program's safety: many runs at once on one settings file, folders and
// texts with characters Windows-1252 lacks, a settings file another program holds, and a
// command line at the system's limit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "core/texts.h"
#include "driver.h"

namespace e2e {
namespace {

// A process started from a UTF-16 command line, optionally suspended until Resume().
class WideProcess {
 public:
  WideProcess(const std::wstring& exe, const std::wstring& arguments, bool suspended = false) {
    std::wstring line = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr, folder.c_str(), &startup,
                        &info_)) {
      info_ = {};
      Check(false, "starting " + Utf8(line) + " (error " + std::to_string(GetLastError()) + ")");
    }
  }
  ~WideProcess() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  WideProcess(const WideProcess&) = delete;
  WideProcess& operator=(const WideProcess&) = delete;

  DWORD Id() const { return info_.dwProcessId; }
  void Resume() const {
    if (info_.hThread) ResumeThread(info_.hThread);
  }
  bool WaitForExit(DWORD timeoutMs = kDeadline) const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION info_{};
};

std::wstring Wide(const std::string& cp1252) { return FromAnsi(cp1252); }

void WriteWide(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  Check(file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size(),
        "writing " + Utf8(path));
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

std::string ReadWide(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<absent>";
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

// Removes a folder whose entries may have names the ANSI functions cannot reach.
void RemoveWide(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring entry = found.cFileName, path = folder + L"\\" + entry;
      if (entry == L"." || entry == L"..") continue;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveWide(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// The archive numbers in the recorder's log, one per launch: "...-<n>.zip".
std::vector<long> LaunchedNumbers(const std::string& log) {
  std::vector<long> numbers;
  for (size_t at = 0; (at = log.find(".zip\"", at)) != std::string::npos; ++at) {
    const size_t dash = log.rfind('-', at);
    numbers.push_back(std::strtol(log.c_str() + dash + 1, nullptr, 10));
  }
  return numbers;
}

// ---------------------------------------------------------------- runs at the same instant

// Eight copies started at once share one settings file and one target folder: each gets a
// name of its own, [Last] ends at the highest number handed out, and nothing else in the file
// changes. DS_CONCURRENT_ROUNDS sets the number of rounds (10).
void ConcurrentStarts(const std::string& name) {
  const char* setting = std::getenv("DS_CONCURRENT_ROUNDS");
  const int rounds = setting ? std::max(1, std::atoi(setting)) : 10;
  constexpr int kCopies = 8;
  Case c(name);
  std::vector<std::string> settings = BasicSettings(c);
  settings.insert(settings.end(), {"; kept as it is, comment and all", "[Andere]", "Wert = 1 "});
  const std::string kept = Lines(settings);
  int launches = 0, distinctRounds = 0, lastRounds = 0, keptRounds = 0;
  for (int round = 1; round <= rounds; ++round) {
    const long first = round * 100;
    WriteBytes(c.IniPath(), kept + "[Last]\r\nDatum=" + DateText(Today()) +
                                "\r\nNr=" + std::to_string(first - 1) + "\r\n");
    DeleteFileA(c.Path("recorder.log").c_str());
    std::vector<std::unique_ptr<WideProcess>> copies;
    for (int i = 0; i < kCopies; ++i)
      copies.push_back(
          std::make_unique<WideProcess>(Wide(c.Path("Datensicherung.exe")), L"/GO", true));
    for (const auto& copy : copies) copy->Resume();
    for (const auto& copy : copies) Check(copy->WaitForExit(60000), "a copy ends");
    WaitForRecorders(c.Folder());

    const std::vector<long> numbers = LaunchedNumbers(c.RecorderLog());
    const std::set<long> distinct(numbers.begin(), numbers.end());
    const std::string ini = c.Ini();
    std::string nr;
    IniValue(ini, "Last", "Nr", nr);
    const long highest = distinct.empty() ? -1 : *distinct.rbegin();
    launches += static_cast<int>(numbers.size());
    distinctRounds += Check(numbers.size() == kCopies && distinct.size() == kCopies,
                            "round " + std::to_string(round) + ": " + std::to_string(kCopies) +
                                " launches with distinct names:\n" + c.RecorderLog());
    lastRounds +=
        Check(nr == std::to_string(highest), "round " + std::to_string(round) + ": [Last] Nr " +
                                                 nr + ", highest " + std::to_string(highest));
    keptRounds +=
        Check(ini.compare(0, kept.size(), kept) == 0 && ini.find("[Last]\r\nDatum=") == kept.size(),
              "round " + std::to_string(round) + ": the rest of the file is unchanged");
  }
  std::printf(
      "%d rounds of %d copies at once: %d launches; distinct names in %d rounds, "
      "[Last] at the highest number in %d, the rest unchanged in %d\n",
      rounds, kCopies, launches, distinctRounds, lastRounds, keptRounds);
}

// ---------------------------------------------------------------- any character

// The program in folders whose names Windows-1252 cannot hold finds its settings file there
// and no other; an error about that file names the folder as it is.
void OddFolderNames(const std::string& name) {
  RemoveWide(Wide(DriverFolder() + "e2e\\" + name));
  Case c(name);
  const std::string settings = Lines(BasicSettings(c));
  for (const wchar_t* folderName :
       {L"Backup_\u03a9", L"\uff24aten", L"\u0414\u0430\u043d\u043d\u044b\u0435"}) {
    const std::wstring folder = Wide(c.Folder()) + L"\\" + folderName;
    const std::string what = Utf8(folderName);
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyFileW(Wide(c.Path("Datensicherung.exe")).c_str(),
              (folder + L"\\Datensicherung.exe").c_str(), FALSE);
    WriteWide(folder + L"\\Datensicherung.ini", settings);
    DeleteFileA(c.Path("recorder.log").c_str());
    WideProcess program(folder + L"\\Datensicherung.exe", L"/GO");
    Check(program.WaitForExit(), what + ": the run ends by itself");
    WaitForRecorders(c.Folder());
    Check(LaunchedNumbers(c.RecorderLog()).size() == 1, what + ": the archiver is launched");
    std::string nr;
    Check(IniValue(ReadWide(folder + L"\\Datensicherung.ini"), "Last", "Nr", nr) && nr == "0",
          what + ": [Last] is written to the settings file in that folder");
  }
  // No folder of a look-alike name got a settings file.
  Check(!PathExists(c.Path("Daten")) && !PathExists(c.Path("Backup_O")),
        "no look-alike folder is touched");

  const std::wstring folder = Wide(c.Folder()) + L"\\Backup_\u03a9";
  const std::wstring ini = folder + L"\\Datensicherung.ini";
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  WideProcess program(folder + L"\\Datensicherung.exe", L"/GO");
  const HWND box = WaitForMessageBox(program.Id());
  if (Check(box != nullptr, "read-only settings file: an error box appears")) {
    CheckText(ReadMessageBox(box).text, L"In " + ini + L" kann nicht geschrieben werden.",
              "the error names the folder as it is");
    PostMessageW(box, WM_CLOSE, 0, 0);
  }
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A password reaches the archiver exactly as typed, or not at all.
void PasswordCharacters(const std::string& name) {
  struct Typed {
    const wchar_t* password;
    const char* sent;  // nullptr: refused
  };
  const Typed rows[] = {
      {L"\u03a9mega-\u03c0", nullptr}, {L"\u043f\u0430\u0440\u043e\u043b\u044c", nullptr},
      {L"geheim\U0001F511", nullptr},  {L"\u00c4\u00f6\u00fc\u00df-42", "\xC4\xF6\xFC\xDF-42"},
      {L"\u20acuro", "\x80uro"},
  };
  Case c(name);
  c.WriteIni(BasicSettings(c));
  const std::string before = c.Ini();
  for (const Typed& row : rows) {
    const std::string what = "password " + Utf8(row.password);
    DeleteFileA(c.Path("recorder.log").c_str());
    WideProcess program(Wide(c.Path("Datensicherung.exe")), L"");
    const MainWindow window(WaitForTopWindow(program.Id(), DS_MAIN_CLASS));
    if (!Check(static_cast<bool>(window), what + ": the window opens")) continue;
    TypeText(window[ID_Passwort], row.password);
    Click(window[ID_Start]);
    if (row.sent) {
      Check(program.WaitForExit(), what + ": the run ends the program");
      WaitForRecorders(c.Folder());
      Check(c.RecorderLog().find(std::string("a -hp") + row.sent + " -ms") == 0,
            what + ": the archiver gets it exactly: " + Show(c.RecorderLog()));
      c.WriteIni(BasicSettings(c));
      continue;
    }
    AnswerMessageBox(program.Id(), std::string(texts::PasswordNotAnsi) + ".", true, what);
    NothingLaunched(c, window);
    Check(c.Ini() == before, what + ": nothing recorded");
    PressKey(window.Handle(), VK_ESCAPE);
    Check(program.WaitForExit(), what + ": Esc ends the program");
  }
}

// A full-width slash is not a slash: the argument matches no switch.
void LookAlikeSwitch(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  WideProcess program(Wide(c.Path("Datensicherung.exe")), L"\uff0fGO");
  const MainWindow window(WaitForTopWindow(program.Id(), DS_MAIN_CLASS));
  if (!Check(static_cast<bool>(window), "the window opens")) return;
  NothingLaunched(c, window);
  PressKey(window.Handle(), VK_ESCAPE);
  Check(program.WaitForExit(), "Esc ends the program");
}

// ---------------------------------------------------------------- the file held, the line full

// Held by another program without sharing, the settings file is not mistaken for a wrong one.
void HeldSettingsFile(const std::string& name) {
  Case c(name);
  c.WriteIni(BasicSettings(c));
  const std::string before = c.Ini();
  const HANDLE held = CreateFileA(c.IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(held != INVALID_HANDLE_VALUE, "the settings file is held");
  auto program = c.Start("/GO");
  AnswerMessageBox(program->Id(),
                   c.IniPath() +
                       " wird von einem anderen Programm benutzt und kann nicht "
                       "gelesen werden.",
                   true, "held settings file");
  ExpectExit(*program, "after the message");
  CloseHandle(held);
  Check(c.Ini() == before && !PathExists(c.Path("recorder.log")), "nothing written or launched");
}

// A parameter text that fills the command line to the system's limit reaches the archiver
// whole; one character more is not launched at all.
void CommandLineLimit(const std::string& name) {
  Case c(name);
  const std::string source(2000, 'q');
  std::string repeat;
  for (int i = 0; i < 16; ++i) repeat += "%4:s";
  for (const int over : {0, 1}) {
    // "program" a, blank, padding, 16 sources: 32766 characters and the final zero, or one more.
    const size_t padding = 32766 - (c.RecorderPath().size() + 3) - 2 - 16 * source.size() + over;
    std::vector<std::string> settings = BasicSettings(c);
    for (std::string& line : settings) {
      if (line.rfind("Param=", 0) == 0) line = "Param=%s " + std::string(padding, 'p') + repeat;
      if (line.rfind("0=C:", 0) == 0) line = "0=" + source;
    }
    c.WriteIni(settings);
    DeleteFileA(c.Path("recorder.log").c_str());
    auto program = c.Start("/GO");
    const std::string what = over ? "one character over the limit" : "at the limit";
    if (over) {
      AnswerMessageBox(program->Id(), std::string(texts::CommandLineTooLong) + ".", true, what);
      const MainWindow window = WaitForMainWindow(*program);
      NothingLaunched(c, window);
      EndWithEsc(*program, window);
    } else {
      ExpectExit(*program, what);
      WaitForRecorders(c.Folder());
      CheckInt(static_cast<long long>(c.RecorderLog().size()),
               static_cast<long long>(2 + padding + 16 * source.size() + 2), what + ": whole");
    }
  }
}

}  // namespace

const std::vector<Scenario> kSafetyScenarios = {
    {"concurrent_starts", ConcurrentStarts},     {"odd_folder_names", OddFolderNames},
    {"password_characters", PasswordCharacters}, {"look_alike_switch", LookAlikeSwitch},
    {"held_settings_file", HeldSettingsFile},    {"command_line_limit", CommandLineLimit},
};

}  // namespace e2e
