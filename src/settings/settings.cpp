#include "settings/settings.h"

#include <utility>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/intsyntax.h"
#include "core/texts.h"
#include "settings/file_store.h"
#include "settings/ini_document.h"

namespace {

// A settings file as the platform's profile functions take it: ANSI bytes, or UTF-16 after a
// byte order mark, read through the ANSI functions as Windows-1252.
struct FileText {
  std::string ansi;
  std::string mark;   // the UTF-16 byte order mark, empty for an ANSI file
  bool exact = true;  // false when a UTF-16 character has no Windows-1252 form
};

std::string SwapPairs(std::string bytes) {
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) std::swap(bytes[at], bytes[at + 1]);
  return bytes;
}

bool BigEndian(const std::string& mark) { return mark == "\xFE\xFF"; }

FileText Decode(const std::string& bytes) {
  const std::string mark = bytes.substr(0, 2);
  if (mark != "\xFF\xFE" && mark != "\xFE\xFF") return {bytes, {}, true};
  FileText text{{}, mark, true};
  const std::string units = bytes.substr(2);
  text.ansi = Cp1252FromUtf16Le(BigEndian(mark) ? SwapPairs(units) : units, text.exact);
  return text;
}

// A write keeps the file's encoding.
std::string Encode(const std::string& ansi, const std::string& mark) {
  if (mark.empty()) return ansi;
  const std::string units = Utf16LeFromCp1252(ansi);
  return mark + (BigEndian(mark) ? SwapPairs(units) : units);
}

}  // namespace

TSettingsFile::TSettingsFile(std::string path, int currentYear)
    : path_(std::move(path)), currentYear_(currentYear) {}

TSettingsFile::~TSettingsFile() = default;

std::unique_ptr<TSettingsFile> TSettingsFile::Open(const std::string& path, int currentYear) {
  return std::make_unique<TSettingsFile>(path, currentYear);
}

void TSettingsFile::Lock() {
  lock_ = LockSettingsFile(path_);
  document_.reset();
}

// Read on first use and kept: an operation asks for many keys, and the file is read once.
IniDocument& TSettingsFile::Document() {
  if (!document_) {
    const FileRead read = ReadWholeFile(path_);
    if (read.outcome == FileRead::Outcome::Busy) throw EError(texts::SettingsHeld, path_);
    if (read.outcome == FileRead::Outcome::Refused) throw EError(texts::CannotRead, path_);
    readFile_ = read.outcome == FileRead::Outcome::Read;
    document_ = std::make_unique<IniDocument>(Decode(read.bytes).ansi, path_);
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
  PutTexts({{section, key, value}});
}

void TSettingsFile::PutInteger(const std::string& section, const std::string& key,
                               std::int32_t value) {
  PutText(section, key, std::to_string(value));
}

void TSettingsFile::PutDateTime(const std::string& section, const std::string& key,
                                DateTime value) {
  PutText(section, key, DateTimeText(value));
}

// The change is made to the file as it is now, read again under the interlock, so that what
// another run wrote since this object read it is kept.
void TSettingsFile::PutTexts(const std::vector<Entry>& entries) {
  std::unique_ptr<FileLock> ownLock = lock_ ? nullptr : LockSettingsFile(path_);
  const FileRead now = ReadWholeFile(path_);
  // A file that vanished since it was read is not written anew from what little this object
  // knows; neither is one that cannot be read, or one whose characters would be lost.
  const bool vanished = document_ && readFile_ && now.outcome == FileRead::Outcome::Missing;
  const FileText text = Decode(now.bytes);
  if (vanished || !text.exact ||
      (now.outcome != FileRead::Outcome::Read && now.outcome != FileRead::Outcome::Missing))
    throw EError(texts::CannotWrite, path_);

  IniDocument changed(text.ansi, path_);
  bool any = false;
  for (const Entry& entry : entries)
    any = changed.Put(entry.section, entry.key, entry.value) || any;
  if (any) ReplaceFileContents(path_, Encode(changed.Bytes(), text.mark));
  document_ = std::make_unique<IniDocument>(std::move(changed));
  readFile_ = true;
}
