#include "settings/settings.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/filled.h"
#include "core/intsyntax.h"
#include "core/texts.h"
#include "core/utf8.h"
#include "settings/file_store.h"
#include "settings/ini_document.h"

namespace {

using Encoding = TSettingsFile::Encoding;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::string SwapPairs(std::string bytes) {
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) std::swap(bytes[at], bytes[at + 1]);
  return bytes;
}

bool IsMultiByteUtf8(std::string_view bytes) {
  std::vector<uint32_t> points;
  return DecodeUtf8(bytes, points) &&
         std::any_of(points.begin(), points.end(), [](uint32_t c) { return c >= 0x80; });
}

}  // namespace

IniDocument::Characters CharactersOf(Encoding encoding) {
  return encoding == Encoding::Ansi ? IniDocument::Characters::Bytes
                                    : IniDocument::Characters::Utf8;
}

// The encoding is decided as editors save a file: a UTF-16 or a UTF-8 byte order mark says so;
// without one, a file that is valid UTF-8 and holds at least one multi-byte sequence is UTF-8
// (Notepad's default), anything else Windows-1252. Here we part from the platform's profile
// functions, which take every file without a UTF-16 mark for ANSI and give a UTF-8 u-umlaut
// as two characters (A-tilde, quarter). A Windows-1252 file reads as UTF-8 only when every
// non-ASCII character in it stands in such a pair, which no setting holds.
SettingsText DecodeSettingsFile(const std::string& bytes) {
  const std::string_view view(bytes);
  SettingsText file;
  if (view.starts_with(kUtf16LeMark) || view.starts_with(kUtf16BeMark)) {
    file.encoding = view.starts_with(kUtf16LeMark) ? Encoding::Utf16Le : Encoding::Utf16Be;
    const std::string units = bytes.substr(2);
    file.text =
        Utf8FromUtf16Le(file.encoding == Encoding::Utf16Be ? SwapPairs(units) : units, file.exact);
  } else if (view.starts_with(kUtf8Mark)) {
    file = {bytes.substr(kUtf8Mark.size()), Encoding::Utf8Marked};
  } else {
    file = {bytes, IsMultiByteUtf8(bytes) ? Encoding::Utf8 : Encoding::Ansi};
  }
  return file;
}

std::string EncodeSettingsFile(const std::string& text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Ansi:
    case Encoding::Utf8: return text;
    case Encoding::Utf8Marked: return std::string(kUtf8Mark) + text;
    case Encoding::Utf16Le: return std::string(kUtf16LeMark) + Utf16LeFromUtf8(text);
    case Encoding::Utf16Be: return std::string(kUtf16BeMark) + SwapPairs(Utf16LeFromUtf8(text));
  }
  return text;
}

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
    SettingsText file = DecodeSettingsFile(read.bytes);
    encoding_ = file.encoding;
    document_ = std::make_unique<IniDocument>(std::move(file.text), path_, CharactersOf(encoding_));
  }
  return *document_;
}

std::optional<std::string> TSettingsFile::Value(const std::string& section, const std::string& key,
                                                bool& exact) {
  exact = true;
  std::optional<std::string> value = Document().Get(section, key);
  if (!value || encoding_ == Encoding::Ansi) return value;
  const bool utf16 = encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be;
  return Cp1252FromUtf8Replacing(*value, exact, utf16).substr(0, IniDocument::MaxValueLength);
}

std::optional<std::string> TSettingsFile::Value(const std::string& section,
                                                const std::string& key) {
  bool exact = true;
  return Value(section, key, exact);
}

std::string TSettingsFile::GetText(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
  return Value(section, key).value_or(defaultValue);
}

std::optional<std::string> TSettingsFile::GetExactText(const std::string& section,
                                                       const std::string& key,
                                                       const std::string& defaultValue) {
  bool exact = true;
  std::optional<std::string> value = Value(section, key, exact);
  if (!exact) return std::nullopt;
  return value.value_or(defaultValue);
}

std::string TSettingsFile::GetExactTextOrRaise(const std::string& section, const std::string& key,
                                               const std::string& defaultValue) {
  std::optional<std::string> value = GetExactText(section, key, defaultValue);
  if (!value) throw EError(Filled(texts::ValueNotAnsi, {section, key}), path_);
  return *value;
}

std::int32_t TSettingsFile::GetInteger(const std::string& section, const std::string& key,
                                       std::int32_t defaultValue) {
  const auto text = Value(section, key);
  if (!text) return defaultValue;
  return ParseInteger(*text).value_or(defaultValue);
}

bool TSettingsFile::GetFlag(const std::string& section, const std::string& key, bool defaultValue) {
  return GetInteger(section, key, defaultValue ? 1 : 0) != 0;
}

DateTime TSettingsFile::GetDateTime(const std::string& section, const std::string& key,
                                    DateTime defaultValue) {
  const auto text = Value(section, key);
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
  SettingsText file = DecodeSettingsFile(now.bytes);
  if (vanished || !file.exact ||
      (now.outcome != FileRead::Outcome::Read && now.outcome != FileRead::Outcome::Missing))
    throw EError(texts::CannotWrite, path_);

  const IniDocument::Characters characters = CharactersOf(file.encoding);
  IniDocument changed(std::move(file.text), path_, characters);
  bool any = false;
  for (const Entry& entry : entries) {
    const std::string value =
        file.encoding == Encoding::Ansi ? entry.value : Utf8FromCp1252(entry.value);
    any = changed.Put(entry.section, entry.key, value) || any;
  }
  // Windows-1252 bytes that happen to form UTF-8 (a scrambled password can) would read back
  // as other characters: such a file goes as UTF-16, which every reader takes for what it is.
  if (file.encoding == Encoding::Ansi && IsMultiByteUtf8(changed.Bytes())) {
    file.encoding = Encoding::Utf16Le;
    changed = IniDocument(Utf8FromCp1252(changed.Bytes()), path_, IniDocument::Characters::Utf8);
  }
  if (any) ReplaceFileContents(path_, EncodeSettingsFile(changed.Bytes(), file.encoding));
  encoding_ = file.encoding;
  document_ = std::make_unique<IniDocument>(std::move(changed));
  readFile_ = true;
}
