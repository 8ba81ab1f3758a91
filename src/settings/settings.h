#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/datetime.h"

class IniDocument;

// Short-lived access to the settings file: opened by an operation, used, released.
// The file is parsed at most once while the object lives; writes reach the file before the
// call returns and are seen by later reads of the same object.
class TSettingsFile {
 public:
  // Binds to the file; nothing is read yet, and a missing file is no error.
  // `currentYear` places two-digit years of date texts read from the file.
  explicit TSettingsFile(std::string path, int currentYear = 2000);
  ~TSettingsFile();
  TSettingsFile(const TSettingsFile&) = delete;
  TSettingsFile& operator=(const TSettingsFile&) = delete;

  static std::unique_ptr<TSettingsFile> Open(const std::string& path, int currentYear = 2000);

  const std::string& Path() const { return path_; }

  std::string GetText(const std::string& section, const std::string& key,
                      const std::string& defaultValue);
  std::int32_t GetInteger(const std::string& section, const std::string& key,
                          std::int32_t defaultValue);
  bool GetFlag(const std::string& section, const std::string& key, bool defaultValue);
  DateTime GetDateTime(const std::string& section, const std::string& key,
                       DateTime defaultValue);

  // Raise "In <path> kann nicht geschrieben werden" when the system refuses the write.
  void PutText(const std::string& section, const std::string& key, const std::string& value);
  void PutInteger(const std::string& section, const std::string& key, std::int32_t value);
  void PutDateTime(const std::string& section, const std::string& key, DateTime value);

 private:
  IniDocument& Document();

  std::string path_;
  int currentYear_;
  std::unique_ptr<IniDocument> document_;
  // The file was there but could not be read: it answers with defaults, and is never
  // replaced by what little this object knows.
  bool unreadable_ = false;
};
