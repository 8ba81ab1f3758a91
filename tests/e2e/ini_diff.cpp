// Differential test of our INI engine against the platform: writes tricky INI files, asks the
// same questions of GetPrivateProfileStringA and of IniDocument, and reports every difference.
// It also checks that values our engine writes are read back unchanged by the platform, and
// how the settings file is replaced on the platform's own file system.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "fakes/error_of.h"
#include "settings/file_store.h"
#include "settings/ini_document.h"
#include "settings/settings.h"
#include "win32/wide_text.h"
#include "win32_common/utf16.h"
#include "core/cp1252.h"

namespace {

using std::string_literals::operator""s;

const char* const kDefault = "<default>";

struct Question {
  const char* section;
  const char* key;
};

struct Case {
  const char* what;
  std::string file;
  std::vector<Question> questions;
};

std::vector<Case> ReadCases() {
  const std::string longValue(3000, 'v');
  const std::string value2047(2047, 'w');
  const std::string longLine = "[L]\r\nA=" + std::string(70000, 'x') + "\r\nB=after\r\n";
  return {
      {"names in any case",
       "[MySec]\r\nMyKey=v\r\n",
       {{"MySec", "MyKey"}, {"mysec", "MYKEY"}, {"MYSEC", "mykey"}, {"MySe", "MyKey"}}},
      {"blanks around names and values",
       "  [ MySec ]  \r\n   My Key   =   a  b   \r\n",
       {{"MySec", "My Key"}, {" MySec ", " My Key "}, {"MySec", "MyKey"}}},
      {"tabs", "\t[\tS\t]\t\r\n\tK\t=\tv\tw\t\r\n", {{"S", "K"}, {"s", "k"}}},
      {"quotes",
       "[Q]\r\nD=\"v\"\r\nS='v'\r\nB=\" v \"\r\nM=\"v'\r\nL=\"\r\nE=\"\"\r\nI=a\"b\"c\r\n"
       "T=\"\"v\"\"\r\nO=  \"v\"  \r\nH=\"v\r\nQ='\r\n",
       {{"Q", "D"},
        {"Q", "S"},
        {"Q", "B"},
        {"Q", "M"},
        {"Q", "L"},
        {"Q", "E"},
        {"Q", "I"},
        {"Q", "T"},
        {"Q", "O"},
        {"Q", "H"},
        {"Q", "Q"}}},
      {"comments are plain lines",
       "[C]\r\n;K=1\r\n#H=2\r\nV=x ; y\r\nW=x # y\r\n; [D]\r\nZ=3\r\n",
       {{"C", ";K"},
        {"C", "K"},
        {"C", "#H"},
        {"C", "H"},
        {"C", "V"},
        {"C", "W"},
        {"C", "Z"},
        {"D", "Z"}}},
      {"lines without =",
       "[N]\r\nK\r\nL =\r\nM= \r\nN\r\n",
       {{"N", "K"}, {"N", "L"}, {"N", "M"}, {"N", "X"}}},
      {"duplicate sections",
       "[S]\r\nA=1\r\n[T]\r\nA=t\r\n[s]\r\nA=2\r\nB=3\r\n",
       {{"S", "A"}, {"S", "B"}, {"T", "A"}}},
      {"duplicate keys", "[S]\r\nA=1\r\na=2\r\n A = 3\r\n", {{"S", "A"}}},
      {"equals in values",
       "[S]\r\nA=b=c\r\nB==\r\nC= = \r\n",
       {{"S", "A"}, {"S", "B"}, {"S", "C"}}},
      {"empty values", "[S]\r\nA=\r\nB=   \r\n", {{"S", "A"}, {"S", "B"}, {"S", "C"}}},
      {"keys before any section", "A=1\r\nB=2\r\n[S]\r\nC=3\r\n", {{"S", "A"}, {"S", "C"}}},
      {"LF line ends", "[S]\nA=1\nB=2\n[T]\nC=3\n", {{"S", "A"}, {"S", "B"}, {"T", "C"}}},
      {"CR line ends", "[S]\rA=1\rB=2\r[T]\rC=3\r", {{"S", "A"}, {"S", "B"}, {"T", "C"}}},
      {"CRLF line ends",
       "[S]\r\nA=1\r\nB=2\r\n[T]\r\nC=3\r\n",
       {{"S", "A"}, {"S", "B"}, {"T", "C"}}},
      {"no final line break", "[S]\r\nA=1\r\nB=2", {{"S", "A"}, {"S", "B"}}},
      {"blank lines", "\r\n\r\n[S]\r\n\r\n   \r\nA=1\r\n\r\n", {{"S", "A"}}},
      {"long value cut", "[S]\r\nA=" + longValue + "\r\nB=2\r\n", {{"S", "A"}, {"S", "B"}}},
      {"value of 2047", "[S]\r\nA=" + value2047 + "\r\n", {{"S", "A"}}},
      {"long line read whole", longLine, {{"L", "A"}, {"L", "B"}}},
      {"brackets in section names",
       "[a]b]\r\nK=1\r\n[c\r\nL=2\r\n[d]x\r\nM=3\r\n",
       {{"a]b", "K"}, {"a", "K"}, {"a]b", "[c"}, {"a]b", "L"}, {"d", "M"}}},
      {"[ line with =", "[S]\r\n[x=1\r\n", {{"S", "[x"}}},
      {"empty section name", "[]\r\nA=1\r\n[ ]\r\nB=2\r\n", {{"S", "A"}}},
      {"NUL in a value", "[S]\r\nA=ab\0cd\r\nB=2\r\n"s, {{"S", "A"}, {"S", "B"}}},
      {"Ctrl-Z",
       "[S]\r\nA=1\x1A\r\nB=\x1A"
       "2\r\n",
       {{"S", "A"}, {"S", "B"}}},
      {"NBSP kept", "[S]\r\nA=\xA0v\xA0\r\n", {{"S", "A"}}},
      {"8-bit text", "[S]\r\nA=Sp\xE4ter \xDF\xFF\x80\r\n", {{"S", "A"}}},
      {"junk without sections", "just some text\r\nno=sections", {{"S", "no"}}},
      {"empty file", "", {{"S", "A"}}},
      {"mixed line ends", "[S]\rA=1\rB=2\nC=3\r\n", {{"S", "A"}, {"S", "B"}, {"S", "C"}}},
      {"LF CR line ends", "[S]\n\rA=1\n\rB=2\n\r", {{"S", "A"}, {"S", "B"}}},
      {"a line without = hides a later key", "[S]\r\nK\r\nK=1\r\n", {{"S", "K"}}},
      {"vertical tab and form feed",
       "[S]\r\nA=\v1\v\r\nB=\f2\f\r\n\vC\f=3\r\n",
       {{"S", "A"}, {"S", "B"}, {"S", "C"}}},
      {"other control characters kept",
       "[S]\r\nA=\x01"
       "1\x1C\x1D\x1E\x1F\r\nB=\x85x\x85\r\n",
       {{"S", "A"}, {"S", "B"}}},
      {"quoted values near the limit",
       "[S]\r\nB=\"" + std::string(2046, 'q') + "\"\r\nC=\"" + std::string(2048, 'q') + "\"\r\n",
       {{"S", "B"}, {"S", "C"}}},
      {"NUL in names", "[S\0x]\r\nA\0y=1\r\n"s, {{"S", "A"}}},
      {"NUL after quotes and blanks",
       "[S]\r\nA=\"ab\"\0x\r\nB=ab \0 x\r\n"s,
       {{"S", "A"}, {"S", "B"}}},
      {"8-bit names",
       "[\xC4]\r\n\xE4=1\r\n[\xD6]\r\n\xF6=2\r\n",
       {{"\xE4", "\xC4"}, {"\xD6", "\xF6"}}},
      {"header followed by =",
       "[S]\r\n[x]=1\r\n[S]\r\nY=2\r\n",
       {{"S", "[x]"}, {"x", "Y"}, {"x]", "1"}}},
      {"the tool's own file",
       "[Programm]\r\nVersion=0x3\r\nZip=C:\\Programme\\zip.exe\r\nParam=%s -%s %s \"%s\" %s\r\n"
       "Stopprogchecked=2\r\n\r\n[Backup]\r\n0b=Anwendungen\r\n0=C:\\Daten\\*.*\r\n"
       "0p=E:\\Archiv\\\r\n\r\n[SECURITY]\r\n1=AB12CD\r\n",
       {{"Programm", "Version"},
        {"Programm", "Param"},
        {"Programm", "Stopprogchecked"},
        {"Backup", "0b"},
        {"Backup", "0p"},
        {"security", "1"},
        {"Backup", "1b"}}},
  };
}

// Values our engine writes; the platform must read each back unchanged.
std::vector<std::string> AwkwardValues() {
  return {"",
          " ",
          "\t",
          "\"",
          "'",
          "\"\"",
          "\"x\"",
          "'x'",
          "\"x'",
          " v ",
          " \"x\" ",
          "a=b",
          "; c",
          "#",
          "[S]",
          "x\x1A",
          "\xA0",
          "Sp\xE4ter \xDF",
          "C:\\x\\",
          std::string(2046, 'z'),
          std::string(2047, 'z'),
          " " + std::string(2045, 'z'),
          "'" + std::string(2044, 'z') + "'"};
}

std::string Shown(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      shown += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    }
  }
  return shown.size() > 80 ? shown.substr(0, 60) + "... (" + std::to_string(text.size()) + ")"
                           : shown;
}

std::string ReadBytes(const std::string& path) {
  const FileRead read = ReadWholeFile(path);
  return read.outcome == FileRead::Outcome::Read ? read.bytes : "<absent>";
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  return CloseHandle(file) && ok;
}

bool PathIsThere(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string PlatformAnswer(const std::string& path, const Question& q) {
  char buffer[2048];
  const DWORD length =
      GetPrivateProfileStringA(q.section, q.key, kDefault, buffer, sizeof buffer, path.c_str());
  return std::string(buffer, length);
}

class Run {
 public:
  explicit Run(std::string folder) : folder_(std::move(folder)) {}

  void Compare(const std::string& what, const std::string& file, const Question& q,
               const std::string& ours) {
    // A file of its own per question, so that no cached copy of an earlier file answers.
    const std::string path = folder_ + "\\case" + std::to_string(files_++) + ".ini";
    if (!WriteBytes(path, file)) {
      Fail(what, q, "cannot write " + path);
      return;
    }
    const std::string platform = PlatformAnswer(path, q);
    DeleteFileA(path.c_str());
    if (platform == ours) {
      ++passed_;
      return;
    }
    Fail(what, q, "platform \"" + Shown(platform) + "\", ours \"" + Shown(ours) + "\"");
  }

  void Check(const std::string& what, bool ok, const std::string& detail = {}) {
    if (ok) {
      ++passed_;
      return;
    }
    ++failed_;
    std::printf("FAILED %s %s\n", what.c_str(), Shown(detail).c_str());
  }

  const std::string& Folder() const { return folder_; }

  int Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    return failed_ == 0 ? 0 : 1;
  }

 private:
  void Fail(const std::string& what, const Question& q, const std::string& detail) {
    ++failed_;
    std::printf("MISMATCH %s: [%s] %s: %s\n", what.c_str(), Shown(q.section).c_str(),
                Shown(q.key).c_str(), detail.c_str());
  }

  std::string folder_;
  int files_ = 0;
  int passed_ = 0;
  int failed_ = 0;
};

// The settings file replaced through the platform's file functions.
void CheckFileStore(Run& run) {
  const std::string path = run.Folder() + "\\store.ini";
  TSettingsFile(path).PutText("S", "K", "v");
  run.Check("new file", ReadBytes(path) == "[S]\r\nK=v\r\n", ReadBytes(path));
  TSettingsFile(path).PutText("S", "K", "w");
  char buffer[16];
  GetPrivateProfileStringA("S", "K", "", buffer, sizeof buffer, path.c_str());
  run.Check("replaced file read by the platform", std::string(buffer) == "w", buffer);

  const std::string refused = "In " + path + " kann nicht geschrieben werden";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  std::string error = ErrorOf([&] { TSettingsFile(path).PutText("S", "K", "x"); });
  run.Check("read-only file refused", error == refused, error);
  run.Check("read-only file unchanged", ReadBytes(path) == "[S]\r\nK=w\r\n", ReadBytes(path));
  run.Check("read-only attribute kept",
            (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  error = ErrorOf([&] { TSettingsFile(path).PutText("S", "K", "y"); });
  CloseHandle(held);
  run.Check("file held without sharing refused", error == refused, error);
  run.Check("held file unchanged", ReadBytes(path) == "[S]\r\nK=w\r\n", ReadBytes(path));

  // Held while the object reads it, free again when it writes: the read says why it failed,
  // and the write goes into the file as it is then, so nothing is lost.
  {
    TSettingsFile settings(path);
    const HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    error = ErrorOf([&] { settings.GetText("S", "K", "<default>"); });
    CloseHandle(locked);
    run.Check("file held at the read",
              error == path +
                           " wird von einem anderen Programm benutzt "
                           "und kann nicht gelesen werden",
              error);
    settings.PutText("S", "L", "z");
    run.Check("file free again is written whole", ReadBytes(path) == "[S]\r\nK=w\r\nL=z\r\n",
              ReadBytes(path));
  }

  // What killed writers left is removed by the next write; what a live writer has, is not.
  const std::string gone = path + ".2147483644-0.tmp";
  const std::string alive = path + "." + std::to_string(GetCurrentProcessId()) + "-9.tmp";
  WriteBytes(gone, "x");
  WriteBytes(alive, "x");
  TSettingsFile(path).PutText("S", "K", "left");
  run.Check("temporary file of a gone writer removed", !PathIsThere(gone));
  run.Check("temporary file of a live writer kept", PathIsThere(alive));
  DeleteFileA(alive.c_str());

  const std::string lost = run.Folder() + "\\gone\\store.ini";
  error = ErrorOf([&] { TSettingsFile(lost).PutText("S", "K", "v"); });
  run.Check("missing folder refused", error == "In " + lost + " kann nicht geschrieben werden",
            error);

  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((run.Folder() + "\\*").c_str(), &found);
  std::string left;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != ".." && name != "store.ini" && name != "store.ini.lock")
        left += name + " ";
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  run.Check("no temporary file left", left.empty(), left);
  DeleteFileA(path.c_str());
  DeleteFileA((path + ".lock").c_str());
}

// One thread replaces the settings file over and over while another looks for it: it must
// be there every time it looks (Wine's ReplaceFileW leaves a moment without it).
void CheckNoMomentWithoutTheFile(Run& run, int replacements) {
  const std::string path = run.Folder() + "\\gap.ini";
  ReplaceFileContents(path, "[S]\r\nK=0\r\n");
  std::atomic<bool> stop{false};
  long looks = 0, missed = 0;
  std::thread watcher([&] {
    while (!stop) {
      ++looks;
      if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) ++missed;
    }
  });
  const ULONGLONG start = GetTickCount64();
  for (int i = 1; i <= replacements; ++i)
    ReplaceFileContents(path, "[S]\r\nK=" + std::to_string(i) + "\r\n");
  const ULONGLONG took = GetTickCount64() - start;
  stop = true;
  watcher.join();
  std::printf(
      "%d replacements in %llu ms; the file was looked for %ld times and missed %ld times\n",
      replacements, took, looks, missed);
  run.Check("the file exists at every moment of a replacement", missed == 0,
            std::to_string(missed) + " misses");
  DeleteFileA(path.c_str());
}

// A UTF-16 file reads as the platform reads it, and a write keeps its encoding.
void CheckUtf16(Run& run) {
  const std::string path = run.Folder() + "\\utf16.ini";
  const std::wstring text = L"; \u00c4nderung\r\n[Last]\r\nDatum=05.03.2024\r\nNr=\u20ac7\r\n";
  WriteBytes(path, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()),
                                            text.size() * sizeof(wchar_t)));
  for (const char* key : {"Datum", "Nr", "Fehlt"}) {
    run.Compare("UTF-16 file", ReadBytes(path), {"Last", key},
                TSettingsFile(path).GetText("Last", key, kDefault));
  }
  TSettingsFile(path).PutText("Last", "Nr", "8");
  char buffer[16];
  GetPrivateProfileStringA("Last", "Nr", "", buffer, sizeof buffer, path.c_str());
  run.Check("UTF-16 file written, read back by the platform", std::string(buffer) == "8", buffer);
  run.Check("UTF-16 file keeps its mark",
            ReadBytes(path).substr(0, 4) == std::string("\xFF\xFE;\0", 4));
  DeleteFileA(path.c_str());
  DeleteFileA((path + ".lock").c_str());
}

// A settings file reached through a link: the link stays, and the file it leads to changes.
// `folder` holds shared.ini and symbolic.ini, a symbolic link to it made on the Unix side
// (the links the platform makes under Wine lead nowhere); the hard link is made here.
void CheckLinks(Run& run, const std::string& folder) {
  const std::string shared = folder + "\\shared.ini";
  const std::string symbolic = folder + "\\symbolic.ini", hard = folder + "\\hard.ini";
  DeleteFileA(hard.c_str());
  run.Check("hard link made", CreateHardLinkA(hard.c_str(), shared.c_str(), nullptr) != 0);
  int value = 1;
  for (const std::string& link : {symbolic, hard}) {
    TSettingsFile(link).PutText("Last", "Nr", std::to_string(++value));
    const std::string expected = "[Last]\r\nNr=" + std::to_string(value) + "\r\n";
    run.Check(link + ": the file it leads to is written", ReadBytes(shared) == expected,
              ReadBytes(shared));
    run.Check(link + ": still leads there", ReadBytes(link) == expected, ReadBytes(link));
  }
}

// Texts from the system reach the logic in Windows-1252 exactly, or not at all.
void CheckExactConversion(Run& run) {
  struct Conversion {
    const wchar_t* text;
    const char* exact;  // nullptr: no exact form
  };
  // clang-format off
  const Conversion cases[] = {
      {L"C:\\Backup_\u03a9\\Datensicherung.exe", nullptr},
      {L"C:\\\uff24aten\\Datensicherung.exe", nullptr},  // full-width D, not D
      {L"C:\\\u0414\u0430\u043d\u043d\u044b\u0435\\Datensicherung.exe", nullptr},
      {L"\uff0fGO", nullptr},  // full-width slash, not /GO
      {L"\u03a9mega-\u03c0", nullptr},
      {L"\u043f\u0430\u0440\u043e\u043b\u044c", nullptr},
      {L"geheim\U0001F511", nullptr},
      {L"\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df \u20ac 5", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF \x80 5"},
      {L"C:\\Sp\u00e4ter\\x.exe", "C:\\Sp\xE4ter\\x.exe"},
  };
  // clang-format on
  for (const Conversion& c : cases) {
    const auto exact = NarrowExactly(c.text);
    const std::string shown = Utf8FromWide(c.text);
    run.Check("exact conversion of " + shown,
              c.exact ? exact == std::string(c.exact) : !exact.has_value(),
              exact.value_or("<none>"));
    // What the window hands the logic: a mark in place of each missing character, so that a
    // password is refused rather than changed.
    run.Check("window text of " + shown, IsExact(Narrow(c.text)) == (c.exact != nullptr));
    run.Check("UTF-8 path of " + shown, WideFromUtf8(shown) == c.text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  char temp[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, temp)) return 2;
  std::string folder;
  for (int attempt = 0; folder.empty() && attempt < 100; ++attempt) {
    const std::string name = std::string(temp) + "ini_diff_" +
                             std::to_string(GetCurrentProcessId()) + "_" + std::to_string(attempt);
    if (CreateDirectoryA(name.c_str(), nullptr)) folder = name;
  }
  if (folder.empty()) {
    std::printf("cannot create a folder in %s\n", temp);
    return 2;
  }

  Run run(folder);
  for (const Case& c : ReadCases()) {
    const IniDocument ours(c.file);
    for (const Question& q : c.questions)
      run.Compare(c.what, c.file, q, ours.Get(q.section, q.key).value_or(kDefault));
  }
  for (const std::string& value : AwkwardValues()) {
    IniDocument written("[S]\r\nK=old\r\n");
    written.Put("S", "K", value);
    run.Compare("written by us: \"" + Shown(value) + "\"", written.Bytes(), {"S", "K"}, value);
  }

  CheckFileStore(run);
  CheckNoMomentWithoutTheFile(run, 10000);
  CheckUtf16(run);
  if (argc == 3 && std::string(argv[1]) == "--links") CheckLinks(run, argv[2]);
  CheckExactConversion(run);

  RemoveDirectoryA(folder.c_str());
  const int code = run.Finish();
  // Everything is said and removed; ending here spares the runtime's exit, in which Wine was
  // once seen to hang after the last line.
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  return code;
}
