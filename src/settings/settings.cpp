#include "settings/settings.h"

#include "core/error.h"
#include "core/intsyntax.h"
#include "core/texts.h"
#include "settings/file_store.h"
#include "settings/ini_document.h"

TSettingsFile::TSettingsFile(std::string path, int currentYear)
    : path_(std::move(path)), currentYear_(currentYear) {}

TSettingsFile::~TSettingsFile() = default;

std::unique_ptr<TSettingsFile> TSettingsFile::Open(const std::string& path, int currentYear) {
  return std::make_unique<TSettingsFile>(path, currentYear);
}

// Read on first use and kept: an operation asks for many keys, and the file is read once.
IniDocument& TSettingsFile::Document() {
  if (!document_) {
    auto bytes = ReadWholeFile(path_);
    unreadable_ = !bytes && !NothingAt(path_);
    document_ = std::make_unique<IniDocument>(std::move(bytes).value_or(""), path_);
  }
  return *document_;
}

std::string TSettingsFile::GetText(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
  return Document().Get(section, key).value_or(defaultValue);
}

std::int32_t TSettingsFile::GetInteger(const std::string& section, const std::string& key,
                                       std::int32_t defaultValue) {
  const auto text = Document().Get(section, key);
  if (!text) return defaultValue;
  return ParseInteger(*text).value_or(defaultValue);
}

bool TSettingsFile::GetFlag(const std::string& section, const std::string& key, bool defaultValue) {
  return GetInteger(section, key, defaultValue ? 1 : 0) != 0;
}

DateTime TSettingsFile::GetDateTime(const std::string& section, const std::string& key,
                                    DateTime defaultValue) {
  const auto text = Document().Get(section, key);
  if (!text || text->empty()) return defaultValue;
  return ParseDateTime(*text, currentYear_).value_or(defaultValue);
}

void TSettingsFile::PutText(const std::string& section, const std::string& key,
                            const std::string& value) {
  // Changed on a copy, so that a refused write leaves the object agreeing with the file.
  IniDocument changed = Document();
  if (unreadable_) throw EError(FormatMessage1(texts::CannotWrite, path_));
  if (!changed.Put(section, key, value)) return;
  ReplaceFileContents(path_, changed.Bytes());
  *document_ = std::move(changed);
}

void TSettingsFile::PutInteger(const std::string& section, const std::string& key,
                               std::int32_t value) {
  PutText(section, key, std::to_string(value));
}

void TSettingsFile::PutDateTime(const std::string& section, const std::string& key,
                                DateTime value) {
  PutText(section, key, DateTimeText(value));
}
