#include "engine/sets/archive_record.h"

#include <algorithm>
#include <cstdint>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/sets/calendar.h"
#include "engine/sets/escape.h"
#include "engine/sets/set_texts.h"
#include "zip/stored_name.h"

namespace dszip::sets {
namespace {

constexpr const char* kCrLf = "\r\n";

const char* KindWord(ArchiveKind kind) {
  switch (kind) {
    case ArchiveKind::Full: return texts::KindFull;
    case ArchiveKind::Incremental: return texts::KindIncremental;
    case ArchiveKind::Moved: return texts::KindMoved;
  }
  return texts::KindFull;
}

std::optional<ArchiveKind> KindOfWord(std::string_view word) {
  for (const ArchiveKind kind : {ArchiveKind::Full, ArchiveKind::Incremental, ArchiveKind::Moved})
    if (word == KindWord(kind)) return kind;
  return std::nullopt;
}

std::string Digits(int value, size_t width) {
  std::string text = std::to_string(value);
  return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

// "2024-03-05 21:30:12 +01:00"
std::string TimeText(const LocalTime& t) {
  const int offset = t.offsetMinutes < 0 ? -t.offsetMinutes : t.offsetMinutes;
  return Digits(t.year, 4) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " +
         TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second) + " " +
         (t.offsetMinutes < 0 ? "-" : "+") + TwoDigits(offset / 60) + ":" + TwoDigits(offset % 60);
}

int NumberAt(std::string_view text, size_t at, size_t width) {
  return static_cast<int>(DigitsValue(text.substr(at, width)));
}

std::optional<LocalTime> ParseTime(std::string_view text) {
  if (!HasShape(text, "0000-00-00 00:00:00 +00:00")) return std::nullopt;
  const int offset = NumberAt(text, 21, 2) * 60 + NumberAt(text, 24, 2);
  const LocalTime t{NumberAt(text, 0, 4),
                    NumberAt(text, 5, 2),
                    NumberAt(text, 8, 2),
                    NumberAt(text, 11, 2),
                    NumberAt(text, 14, 2),
                    NumberAt(text, 17, 2),
                    text[20] == '-' ? -offset : offset};
  if (!IsValidDate({t.year, t.month, t.day}) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
      NumberAt(text, 24, 2) > 59 || offset > 14 * 60)
    return std::nullopt;
  return t;
}

std::vector<std::string> FoldedSorted(const std::vector<std::string>& sources) {
  std::vector<std::string> folded;
  for (const std::string& source : sources) {
    std::string one = zip::FoldCase(source);
    std::replace(one.begin(), one.end(), '/', '\\');
    folded.push_back(std::move(one));
  }
  std::sort(folded.begin(), folded.end());
  return folded;
}

constexpr const char* kHexDigits = "0123456789abcdef";

std::string Hex(uint64_t value, size_t digits) {
  std::string text(digits, '0');
  for (size_t i = digits; i-- > 0; value >>= 4) text[i] = kHexDigits[value & 0x0F];
  return text;
}

bool IsHex(std::string_view text, size_t digits) {
  return text.size() == digits && text.find_first_not_of(kHexDigits) == std::string_view::npos;
}

uint64_t HexValue(std::string_view text) {
  uint64_t value = 0;
  for (const char c : text)
    value = value << 4 | static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
  return value;
}

// FNV-1a over the folded list: enough to tell the few sets of one folder apart.
std::string Digest(const std::vector<std::string>& sources) {
  uint64_t hash = 14695981039346656037ull;
  for (const std::string& source : FoldedSorted(sources)) {
    for (const char c : source + '\0') {
      hash ^= static_cast<unsigned char>(c);
      hash *= 1099511628211ull;
    }
  }
  return Hex(hash, 16);
}

bool IsDigest(std::string_view text) { return IsHex(text, 16); }

std::string DirectoryText(const DirectoryDigest& digest) {
  return Filled(texts::DirectoryDigestText, {std::to_string(digest.size), Hex(digest.crc, 8)});
}

// A number as FormatRecord writes it: no sign, no leading zero, at most 15 digits.
std::optional<uint64_t> NumberOf(std::string_view text) {
  if (text.empty() || text.size() > 15 || text[0] == '0' ||
      text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  return DigitsValue(text);
}

std::optional<DirectoryDigest> ParseDirectoryText(std::string_view text) {
  const std::string_view pattern = texts::DirectoryDigestText;  // "%s<middle>%s"
  const std::string_view middle = pattern.substr(2, pattern.size() - 4);
  const size_t at = text.find(middle);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view crc = text.substr(at + middle.size());
  const std::string_view digits = text.substr(0, at);
  const std::optional<uint64_t> size =
      digits == "0" ? std::optional<uint64_t>(0) : NumberOf(digits);
  if (!size || !IsHex(crc, 8)) return std::nullopt;
  return DirectoryDigest{*size, static_cast<uint32_t>(HexValue(crc))};
}

// The source lines, or nothing when they would not fit: decided by the sources alone, so
// that every archive of a set records them the same way.
std::optional<std::string> SourceLines(const std::vector<std::string>& sources) {
  std::string lines;
  for (const std::string& source : sources)
    lines += texts::SourceLabel + Escaped(source, true) + kCrLf;
  if (lines.size() > kSourcesBudget) return std::nullopt;
  return lines;
}

}  // namespace

std::string FormatRecord(const ArchiveRecord& record) {
  const bool first = record.id.empty();
  std::string text = std::string(first ? texts::RecordHeadFirst : texts::RecordHead) + kCrLf;
  if (!first) text += texts::IdLabel + record.id + kCrLf;
  text += texts::KindLabel + std::string(KindWord(record.kind)) + kCrLf;
  if (!first) text += texts::SequenceLabel + std::to_string(record.sequence) + kCrLf;
  text += texts::MadeLabel + TimeText(record.made) + kCrLf;
  if (!first) text += texts::ComputerLabel + Escaped(record.computer, true) + kCrLf;
  // The first incremental of a folder follows none there: it has no such lines.
  if (record.kind == ArchiveKind::Incremental && !record.follows.empty()) {
    text += texts::FollowsLabel + Escaped(record.follows, true) + kCrLf;
    // An archive of format 1 has no identity to record.
    if (!first && !record.followsId.empty())
      text += texts::FollowsIdLabel + record.followsId + kCrLf;
    if (!first)
      text += texts::FollowsDirectoryLabel + DirectoryText(record.followsDirectory) + kCrLf;
  }
  text += texts::RecurseLabel + std::string(record.recurse ? "-r" : "-r-") + kCrLf;
  const std::optional<std::string> sources =
      record.sourcesDigest.empty() ? SourceLines(record.sources) : std::nullopt;
  if (sources) return text + *sources;
  const std::string digest =
      record.sourcesDigest.empty() ? Digest(record.sources) : record.sourcesDigest;
  return text + texts::SourcesDigestLabel + digest + texts::SourcesDigestNote + kCrLf;
}

namespace {

// The comment's lines in order; each takes the value after its expected label.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ >= text_.size(); }
  std::optional<std::string_view> Next() {
    if (AtEnd()) return std::nullopt;
    size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(at_, end - at_);
    at_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
  // The rest of the next line when it starts with `label`; it is taken only then.
  std::optional<std::string_view> Labelled(std::string_view label) {
    const size_t before = at_;
    const std::optional<std::string_view> line = Next();
    if (line && line->substr(0, label.size()) == label) return line->substr(label.size());
    at_ = before;
    return std::nullopt;
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

bool ReadSources(LineReader& lines, ArchiveRecord& record) {
  if (const auto digest = lines.Labelled(texts::SourcesDigestLabel)) {
    const std::string_view note = texts::SourcesDigestNote;
    if (digest->size() <= note.size() || digest->substr(digest->size() - note.size()) != note)
      return false;
    record.sourcesDigest = digest->substr(0, digest->size() - note.size());
    return IsDigest(record.sourcesDigest) && lines.AtEnd();
  }
  while (const auto source = lines.Labelled(texts::SourceLabel)) {
    std::optional<std::string> text = Unescaped(*source, true);
    if (!text || text->empty()) return false;
    record.sources.push_back(std::move(*text));
  }
  return !record.sources.empty() && lines.AtEnd() && SourceLines(record.sources).has_value();
}

bool ReadId(LineReader& lines, const char* label, std::string& id) {
  const auto value = lines.Labelled(label);
  if (!value || !IsHex(*value, kIdDigits)) return false;
  id = *value;
  return true;
}

// The lines only format 2 has between kind and time, and after the time.
bool ReadSequence(LineReader& lines, ArchiveRecord& record) {
  const auto sequence = lines.Labelled(texts::SequenceLabel);
  const std::optional<uint64_t> value = sequence ? NumberOf(*sequence) : std::nullopt;
  if (!value) return false;
  record.sequence = *value;
  return true;
}
bool ReadComputer(LineReader& lines, ArchiveRecord& record) {
  const auto computer = lines.Labelled(texts::ComputerLabel);
  std::optional<std::string> name = computer ? Unescaped(*computer, true) : std::nullopt;
  if (!name) return false;
  record.computer = std::move(*name);
  return true;
}

// An incremental's link: by name, and in format 2 by identity and directory too.
bool ReadLink(LineReader& lines, bool first, ArchiveRecord& record) {
  const auto follows = lines.Labelled(texts::FollowsLabel);
  if (!follows) return true;
  std::optional<std::string> name = Unescaped(*follows, true);
  if (record.kind != ArchiveKind::Incremental || !name || name->empty()) return false;
  record.follows = std::move(*name);
  if (first) return true;
  const auto id = lines.Labelled(texts::FollowsIdLabel);
  if (id && !IsHex(*id, kIdDigits)) return false;
  if (id) record.followsId = *id;
  const auto directory = lines.Labelled(texts::FollowsDirectoryLabel);
  const auto digest = directory ? ParseDirectoryText(*directory) : std::nullopt;
  if (!digest) return false;
  record.followsDirectory = *digest;
  return true;
}

bool ReadKindAndTime(LineReader& lines, bool first, ArchiveRecord& record) {
  const auto kind = lines.Labelled(texts::KindLabel);
  const std::optional<ArchiveKind> kindValue = kind ? KindOfWord(*kind) : std::nullopt;
  if (!kindValue) return false;
  record.kind = *kindValue;
  if (!first && !ReadSequence(lines, record)) return false;
  const auto made = lines.Labelled(texts::MadeLabel);
  const std::optional<LocalTime> madeValue = made ? ParseTime(*made) : std::nullopt;
  if (!madeValue) return false;
  record.made = *madeValue;
  return first || ReadComputer(lines, record);
}

}  // namespace

std::optional<ArchiveRecord> ParseRecord(std::string_view comment) {
  LineReader lines(comment);
  const std::optional<std::string_view> head = lines.Next();
  const bool first = head == texts::RecordHeadFirst;
  if (!first && head != texts::RecordHead) return std::nullopt;
  ArchiveRecord record;
  if (!first && !ReadId(lines, texts::IdLabel, record.id)) return std::nullopt;
  if (!ReadKindAndTime(lines, first, record) || !ReadLink(lines, first, record))
    return std::nullopt;
  const auto recurse = lines.Labelled(texts::RecurseLabel);
  if (!recurse || (*recurse != "-r" && *recurse != "-r-")) return std::nullopt;
  record.recurse = *recurse == "-r";
  if (!ReadSources(lines, record)) return std::nullopt;
  return record;
}

bool LooksLikeRecord(std::string_view comment) {
  return comment.substr(0, std::string_view(texts::RecordStart).size()) == texts::RecordStart;
}

std::string IdOf(const uint8_t (&random)[16]) {
  std::string id;
  for (const uint8_t byte : random) id += Hex(byte, 2);
  return id;
}

int64_t UtcSeconds(const LocalTime& time) {
  const int64_t day = DayNumber({time.year, time.month, time.day});
  const int64_t second = int64_t{time.hour} * 3600 + int64_t{time.minute} * 60 + time.second;
  return day * 86400 + second - int64_t{time.offsetMinutes} * 60;
}

std::string SourcesKey(const ArchiveRecord& record) {
  if (!record.sourcesDigest.empty()) return "#" + record.sourcesDigest;
  if (!SourceLines(record.sources)) return "#" + Digest(record.sources);
  std::string key;
  for (const std::string& source : FoldedSorted(record.sources)) key += source + '\0';
  return key;
}

}  // namespace dszip::sets
