#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"

#include "settings/ini_document.h"

class FileLock;

// Short-lived access to the settings file: opened by an operation, used, released.
// The file is parsed at most once while the object lives; writes reach the file before the
// call returns and are seen by later reads of the same object. A file that is there but cannot
// be read raises an error on the first read rather than answering with defaults.
class TSettingsFile {
 public:
  // Binds to the file (a UTF-8 path); nothing is read yet, and a missing file is no error.
  // `currentYear` places two-digit years of date texts read from the file.
  explicit TSettingsFile(std::string path, int currentYear = 2000);
  ~TSettingsFile();
  TSettingsFile(const TSettingsFile&) = delete;
  TSettingsFile& operator=(const TSettingsFile&) = delete;

  static std::unique_ptr<TSettingsFile> Open(const std::string& path, int currentYear = 2000);

  const std::string& Path() const { return path_; }

  // Keeps other runs that use this file out until the object is released, and lets the next
  // read see the file as it is now. Raises texts::SettingsLocked when another run holds it
  // longer than a short while.
  void Lock();

  // How the file holds its characters (see DecodeSettingsFile); a write keeps it.
  enum class Encoding { Ansi, Utf8, Utf8Marked, Utf16Le, Utf16Be };

  // A character Windows-1252 lacks comes as "?", as the platform gives it.
  std::string GetText(const std::string& section, const std::string& key,
                      const std::string& defaultValue);
  // For text that goes on as single-byte text (the password, the archiver's command line),
  // where a "?" in place of a character would silently be another text: nothing when the
  // value holds a character Windows-1252 lacks.
  std::optional<std::string> GetExactText(const std::string& section, const std::string& key,
                                          const std::string& defaultValue);
  // GetExactText, raising texts::ValueNotAnsi with the key and the file instead of nothing.
  std::string GetExactTextOrRaise(const std::string& section, const std::string& key,
                                  const std::string& defaultValue);
  std::int32_t GetInteger(const std::string& section, const std::string& key,
                          std::int32_t defaultValue);
  bool GetFlag(const std::string& section, const std::string& key, bool defaultValue);
  DateTime GetDateTime(const std::string& section, const std::string& key, DateTime defaultValue);

  // Raise "In <path> kann nicht geschrieben werden" when the system refuses the write.
  void PutText(const std::string& section, const std::string& key, const std::string& value);
  void PutInteger(const std::string& section, const std::string& key, std::int32_t value);
  void PutDateTime(const std::string& section, const std::string& key, DateTime value);

  // Several keys in one replacement of the file: all of them reach it, or none.
  struct Entry {
    std::string section, key, value;
  };
  void PutTexts(const std::vector<Entry>& entries);

 private:
  IniDocument& Document();
  std::optional<std::string> Value(const std::string& section, const std::string& key, bool& exact);
  std::optional<std::string> Value(const std::string& section, const std::string& key);

  std::string path_;
  int currentYear_;
  std::unique_ptr<IniDocument> document_;
  bool readFile_ = false;  // the document came from a file, not from its absence
  Encoding encoding_ = Encoding::Ansi;
  std::unique_ptr<FileLock> lock_;
};

// A settings file's text: its own bytes for a Windows-1252 file, UTF-8 for every other.
struct SettingsText {
  std::string text;
  TSettingsFile::Encoding encoding = TSettingsFile::Encoding::Ansi;
  bool exact = true;  // false for UTF-16 that would not be written back as it was
};
SettingsText DecodeSettingsFile(const std::string& bytes);
// The bytes of the text in that encoding, its mark included.
std::string EncodeSettingsFile(const std::string& text, TSettingsFile::Encoding encoding);
// How a document of that text counts the characters of a value.
IniDocument::Characters CharactersOf(TSettingsFile::Encoding encoding);
