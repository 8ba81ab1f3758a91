#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An INI file held as its raw bytes. Reads answer as the platform's private-profile functions
// do; writes change only the line concerned (or add one), so comments, order, spelling and line
// ends of everything else stay exactly as the user left them.
class IniDocument {
 public:
  // The platform hands out at most this many characters of a value.
  static constexpr std::size_t MaxValueLength = 2047;

  // How the bytes hold characters: one byte each, or UTF-8, where the limit above counts
  // characters, not bytes.
  enum class Characters { Bytes, Utf8 };

  // `name` names the file in error messages.
  explicit IniDocument(std::string bytes = {}, std::string name = {},
                       Characters characters = Characters::Bytes);

  const std::string& Bytes() const { return bytes_; }

  // The value of the first such key in the first section of that name; nothing when the
  // section or key is missing. Names match without regard to ASCII letter case.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Creates the section and key as needed or replaces the key's value. Returns false when the
  // file already holds this value (nothing to write). Raises EError for a name or value that
  // would not read back unchanged.
  bool Put(std::string_view section, std::string_view key, std::string_view value);

  // Whether `value` can be written so that it reads back unchanged.
  static bool CanStore(std::string_view value, Characters characters = Characters::Bytes);

 private:
  // One line of the file: content [begin, end), line break [end, next).
  struct Line {
    std::size_t begin = 0, end = 0, next = 0;
  };
  struct Key {
    std::string name;
    std::optional<std::string> value;  // none for a line without "="
    std::size_t line = 0;
  };
  struct Section {
    std::string name;
    std::size_t lastFilledLine = 0;  // the header or the last non-blank line after it
    std::vector<Key> keys;
  };

  void Parse();
  const Section* FindSection(std::string_view name) const;
  const Key* FindKey(std::string_view section, std::string_view key) const;
  [[noreturn]] void Refuse() const;

  std::string bytes_;
  std::string name_;
  Characters characters_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;  // in file order; keys before the first header belong to none
};
