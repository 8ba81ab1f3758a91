#include "engine/sets/state_list.h"

#include "core/two_digits.h"
#include "engine/sets/calendar.h"
#include "engine/sets/escape.h"
#include "engine/sets/set_texts.h"

namespace dszip::sets {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000;

std::string Padded(uint64_t value, size_t width) {
  std::string text = std::to_string(value);
  return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

// "2024-03-05 20:30:12.1234567": the ticks exactly, readable.
std::string TicksText(uint64_t ticks) {
  const Date date = DateOfDay(DayOfTicks(ticks));
  const uint64_t inDay = ticks % static_cast<uint64_t>(kTicksPerDay);
  const uint64_t second = inDay / kTicksPerSecond;
  return Padded(static_cast<uint64_t>(date.year), 4) + "-" + TwoDigits(date.month) + "-" +
         TwoDigits(date.day) + " " + TwoDigits(static_cast<int>(second / 3600)) + ":" +
         TwoDigits(static_cast<int>(second / 60 % 60)) + ":" +
         TwoDigits(static_cast<int>(second % 60)) + "." + Padded(inDay % kTicksPerSecond, 7);
}

// Digits only, at most 19 of them (so nothing overflows).
std::optional<uint64_t> Size(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  if (text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  return DigitsValue(text);
}

std::optional<uint64_t> ParseTicks(std::string_view text) {
  if (!HasShape(text, "0000-00-00 00:00:00.0000000")) return std::nullopt;
  const auto part = [&](size_t at, size_t width) { return DigitsValue(text.substr(at, width)); };
  const Date date{static_cast<int>(part(0, 4)), static_cast<int>(part(5, 2)),
                  static_cast<int>(part(8, 2))};
  const uint64_t hour = part(11, 2), minute = part(14, 2), second = part(17, 2);
  if (!IsValidDate(date) || date.year < 1601 || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  return TicksOfDay(DayNumber(date)) + (hour * 3600 + minute * 60 + second) * kTicksPerSecond +
         part(20, 7);
}

std::optional<StateEntry> ParseLine(std::string_view line) {
  const size_t firstTab = line.find('\t');
  const size_t secondTab =
      firstTab == std::string_view::npos ? firstTab : line.find('\t', firstTab + 1);
  if (secondTab == std::string_view::npos) return std::nullopt;
  const std::optional<uint64_t> size = Size(line.substr(0, firstTab));
  const std::optional<uint64_t> modified =
      ParseTicks(line.substr(firstTab + 1, secondTab - firstTab - 1));
  std::optional<std::string> name = Unescaped(line.substr(secondTab + 1), false);
  if (!size || !modified || !name || name->empty()) return std::nullopt;
  return StateEntry{std::move(*name), *size, *modified};
}

}  // namespace

std::string FormatStateList(const std::vector<StateEntry>& entries) {
  std::string text = std::string(texts::StateListHead) + "\r\n";
  for (const StateEntry& entry : entries)
    text += std::to_string(entry.size) + "\t" + TicksText(entry.modified) + "\t" +
            Escaped(entry.name, false) + "\r\n";
  return text;
}

std::optional<std::vector<StateEntry>> ParseStateList(std::string_view text) {
  std::vector<StateEntry> entries;
  bool head = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (head) {
      if (line != texts::StateListHead) return std::nullopt;
      head = false;
      continue;
    }
    std::optional<StateEntry> entry = ParseLine(line);
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  if (head) return std::nullopt;
  return entries;
}

}  // namespace dszip::sets
