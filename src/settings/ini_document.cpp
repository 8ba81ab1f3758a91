#include "settings/ini_document.h"

#include <algorithm>

#include "core/ascii_case.h"
#include "core/error.h"
#include "core/texts.h"

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// What the platform trims around names and values: blanks and tabs, and the rarer control
// characters it treats alike (Ctrl-Z is the old end-of-file mark some editors still leave).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string_view TrimStart(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}
std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}
std::string_view Trim(std::string_view text) { return TrimEnd(TrimStart(text)); }

// The platform works with C strings: a NUL ends the text.
std::string_view CutAtNul(std::string_view text) { return text.substr(0, text.find('\0')); }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// How many bytes the first `count` characters take.
std::size_t BytesOf(std::string_view text, std::size_t count, IniDocument::Characters characters) {
  if (characters == IniDocument::Characters::Bytes) return std::min(count, text.size());
  std::size_t at = 0;
  for (; at < text.size(); ++at)
    if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && count-- == 0) break;
  return at;
}

std::size_t CharactersIn(std::string_view text, IniDocument::Characters characters) {
  if (characters == IniDocument::Characters::Bytes) return text.size();
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

// The value as a reader gets it: one pair of matching outer quotes removed, then cut to the
// platform's buffer.
std::string ReadValue(std::string_view stored, IniDocument::Characters characters) {
  std::string_view value = CutAtNul(stored);
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, BytesOf(value, IniDocument::MaxValueLength, characters)));
}

// Quotes protect what the reader would otherwise take away: outer blanks, or an outer pair of
// quotes that belongs to the value itself.
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

std::string StoredValue(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  return std::string("\"").append(value).append("\"");
}

bool HoldsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A name we write must come back as the same name.
bool IsWritableName(std::string_view name) {
  return !name.empty() && !HoldsLineBreakOrNul(name) && !IsBlank(name.front()) &&
         !IsBlank(name.back());
}
bool IsWritableKey(std::string_view key) {
  // "=" would end the name early; a leading "[" could turn the line into a section header.
  return IsWritableName(key) && key.find('=') == std::string_view::npos && key.front() != '[';
}

}  // namespace

IniDocument::IniDocument(std::string bytes, std::string name, Characters characters)
    : bytes_(std::move(bytes)), name_(std::move(name)), characters_(characters) {
  Parse();
}

bool IniDocument::CanStore(std::string_view value, Characters characters) {
  // The platform loses the last character of a quoted value that fills its buffer exactly.
  const std::size_t limit = NeedsQuotes(value) ? MaxValueLength - 1 : MaxValueLength;
  return CharactersIn(value, characters) <= limit && !HoldsLineBreakOrNul(value);
}

void IniDocument::Parse() {
  lines_.clear();
  sections_.clear();
  // Unlike the platform we skip a UTF-8 mark, so that editors that add one do not cost the
  // user the first section. The bytes stay in the file.
  std::size_t at = std::string_view(bytes_).starts_with(Utf8Mark) ? Utf8Mark.size() : 0;
  while (at < bytes_.size()) {
    Line line{at, at, at};
    while (line.end < bytes_.size() && !IsLineBreak(bytes_[line.end])) ++line.end;
    line.next = line.end;
    if (line.next < bytes_.size()) {
      const bool crlf = bytes_[line.next] == '\r' && line.next + 1 < bytes_.size() &&
                        bytes_[line.next + 1] == '\n';
      line.next += crlf ? 2 : 1;
    }
    lines_.push_back(line);
    at = line.next;
  }

  for (std::size_t index = 0; index < lines_.size(); ++index) {
    const Line& line = lines_[index];
    const std::string_view text =
        Trim(std::string_view(bytes_).substr(line.begin, line.end - line.begin));
    if (text.empty()) continue;
    // A header's name runs to the last "]"; a "[" line without one is an ordinary line.
    const std::size_t close = text.front() == '[' ? text.rfind(']') : std::string_view::npos;
    if (close != std::string_view::npos) {
      sections_.push_back({std::string(CutAtNul(Trim(text.substr(1, close - 1)))), index, {}});
      continue;
    }
    if (sections_.empty()) continue;  // before any header: no section name reaches it
    Section& section = sections_.back();
    section.lastFilledLine = index;
    // A line without "=" is a key without a value: it yields the default, and it hides a
    // later line of the same name as any first key does.
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
      section.keys.push_back({std::string(CutAtNul(text)), std::nullopt, index});
      continue;
    }
    section.keys.push_back({std::string(CutAtNul(TrimEnd(text.substr(0, equals)))),
                            ReadValue(TrimStart(text.substr(equals + 1)), characters_), index});
  }
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  for (const Section& section : sections_)
    if (SameName(section.name, name)) return &section;
  return nullptr;
}

const IniDocument::Key* IniDocument::FindKey(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found) return nullptr;
  for (const Key& entry : found->keys)
    if (SameName(entry.name, key)) return &entry;
  return nullptr;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return std::nullopt;  // no name, no answer
  const Key* found = FindKey(section, key);
  return found ? found->value : std::nullopt;
}

bool IniDocument::Put(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsWritableName(section) || !IsWritableKey(key) || !CanStore(value, characters_)) Refuse();
  const std::string newLine = std::string(key) + "=" + StoredValue(value);

  const Section* found = FindSection(section);
  if (!found) {
    // A new section goes to the end, on a line of its own.
    if (!bytes_.empty() && !IsLineBreak(bytes_.back())) bytes_ += "\r\n";
    bytes_.append("[").append(section).append("]\r\n").append(newLine).append("\r\n");
  } else {
    const Key* existing = FindKey(section, key);
    if (existing) {
      if (existing->value == value) return false;
      // The file's spelling of the name and the line's own line break stay.
      const Line& line = lines_[existing->line];
      bytes_.replace(line.begin, line.end - line.begin, existing->name + "=" + StoredValue(value));
    } else {
      // After the section's last filled line, so blank lines before the next header stay there.
      const Line& last = lines_[found->lastFilledLine];
      const std::string lineBreak = last.next == last.end ? "\r\n" : "";
      bytes_.insert(last.next, lineBreak + newLine + "\r\n");
    }
  }
  Parse();
  return true;
}

void IniDocument::Refuse() const { throw EError(texts::CannotWrite, name_); }
