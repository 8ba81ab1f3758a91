// The INI engine over a settings file in any encoding: the file's bytes decode to a text that
// encodes back to the same bytes (unless decoding said it would not); any text parses and
// answers every lookup; a write that the engine accepts reads back unchanged and leaves every
// other line of the file as it was.
//
// Input: section 0x01 key 0x01 value 0x01 file bytes. The value is Windows-1252, as the
// program's values are; it goes into a UTF-8 text as UTF-8.

#include <string>
#include <string_view>
#include <vector>

#include "core/cp1252.h"
#include "core/error.h"
#include "fuzz_support.h"
#include "settings/ini_document.h"
#include "settings/settings.h"

namespace {

constexpr std::size_t kMaxNames = 12;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }
bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string CaseFolded(std::string s, bool upper) {
  for (char& c : s) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool SameName(const std::string& a, const std::string& b) {
  return CaseFolded(Trimmed(a), false) == CaseFolded(Trimmed(b), false);
}

// Names a file offers to be asked for: what stands in brackets, and what stands before "=".
struct Names {
  std::vector<std::string> sections, keys;
};

Names NamesIn(const std::string& bytes) {
  Names names;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(at, end - at);
    at = end + 1;
    const std::size_t open = line.find('['), close = line.rfind(']');
    if (open != std::string::npos && close != std::string::npos && close > open) {
      if (names.sections.size() < kMaxNames)
        names.sections.push_back(line.substr(open + 1, close - open - 1));
    } else if (names.keys.size() < kMaxNames) {
      names.keys.push_back(line.substr(0, line.find('=')));
    }
  }
  return names;
}

// A name any sensible writer must take: something that survives the reader's trimming and
// cannot be mistaken for another line kind.
bool PlainSectionName(const std::string& name) {
  return !name.empty() && !HasLineBreakOrNul(name) && !IsBlank(name.front()) &&
         !IsBlank(name.back());
}
bool PlainKeyName(const std::string& name) {
  return PlainSectionName(name) && name.find('=') == std::string::npos && name.front() != '[';
}
bool PlainValue(const std::string& value) {
  return !HasLineBreakOrNul(value) && value.size() < IniDocument::MaxValueLength;
}

std::size_t Characters(const std::string& text, IniDocument::Characters characters) {
  if (characters == IniDocument::Characters::Bytes) return text.size();
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

void CheckLookup(const IniDocument& doc, const std::string& section, const std::string& key,
                 IniDocument::Characters characters) {
  const auto value = doc.Get(section, key);
  if (value) {
    FUZZ_CHECK(Characters(*value, characters) <= IniDocument::MaxValueLength);
    FUZZ_CHECK(!HasLineBreakOrNul(*value));
  }
  FUZZ_CHECK(doc.Get(CaseFolded(section, true), CaseFolded(key, false)) == value);
}

// Only one line may have changed in place; everything else is the old bytes, with new lines
// added. The bytes that went away must therefore lie within a single line.
void CheckOtherLinesKept(const std::string& before, const std::string& after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  const std::string removed = before.substr(prefix, before.size() - prefix - suffix);
  FUZZ_CHECK(removed.find_first_of("\r\n") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fields fields(data, size);
  const std::string section = fields.Next();
  const std::string key = fields.Next();
  const std::string ansiValue = fields.Next();
  const std::string file = fields.Rest();

  const SettingsText decoded = DecodeSettingsFile(file);
  if (decoded.exact) FUZZ_CHECK(EncodeSettingsFile(decoded.text, decoded.encoding) == file);
  const std::string& bytes = decoded.text;
  const IniDocument::Characters characters = CharactersOf(decoded.encoding);
  const std::string value =
      characters == IniDocument::Characters::Bytes ? ansiValue : Utf8FromCp1252(ansiValue);

  const IniDocument doc(bytes, "fuzz.ini", characters);
  FUZZ_CHECK(doc.Bytes() == bytes);
  Names names = NamesIn(bytes);
  names.sections.push_back(section);
  names.keys.push_back(key);
  for (const auto& s : names.sections)
    for (const auto& k : names.keys) CheckLookup(doc, s, k, characters);

  IniDocument changed = doc;
  bool wrote = false;
  try {
    wrote = changed.Put(section, key, value);
  } catch (const EError&) {
    FUZZ_CHECK(!(PlainSectionName(section) && PlainKeyName(key) && PlainValue(ansiValue)));
    FUZZ_CHECK(changed.Bytes() == bytes);
    return 0;
  }
  if (!wrote) {
    FUZZ_CHECK(changed.Bytes() == bytes);
    FUZZ_CHECK(doc.Get(section, key) == value);
    return 0;
  }

  const IniDocument reread(changed.Bytes(), "fuzz.ini", characters);
  FUZZ_CHECK(reread.Get(section, key) == value);
  CheckOtherLinesKept(bytes, changed.Bytes());
  for (const auto& s : names.sections)
    for (const auto& k : names.keys)
      if (!(SameName(s, section) && SameName(k, key)))
        FUZZ_CHECK(reread.Get(s, k) == doc.Get(s, k));
  return 0;
}
