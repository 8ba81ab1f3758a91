#include "core/datetime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "core/error.h"
#include "core/filled.h"
#include "core/texts.h"

namespace {

constexpr double kMsPerDay = 86400000.0;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1 January 1970 to a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

DateParts CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 30 December 1899 counted from 1 January 1970.
const std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

// The largest DateTime the calendar readers produce (31.12.9999) bounds what we decode.
bool InRange(DateTime value) { return std::isfinite(value) && std::fabs(value) < 3.0e6; }

// A day and a time of day as one value. Before 30.12.1899 the whole part counts backwards but
// the fraction still runs forward from midnight (-1.25 is 29.12.1899 06:00), so the time of
// day is taken away there.
DateTime Compose(DateTime day, DateTime timeOfDay) {
  return day < 0 ? day - timeOfDay : day + timeOfDay;
}

std::string Pad(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

// A small scanner over the text, following the lenient rules of the German short forms.
class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool RestIsBlank() {
    SkipBlanks();
    return AtEnd();
  }
  // A number of one to four digits after optional blanks; `digits` tells how many were read.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      if (digits == 4) return false;
      value = value * 10 + (text_[pos_] - '0');
      ++digits;
      ++pos_;
    }
    return digits > 0;
  }
  bool Char(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  // An AM or PM marker, in any case: 0 none, 1 AM, 2 PM.
  int Marker() {
    SkipBlanks();
    if (pos_ + 2 > text_.size()) return 0;
    const char a = static_cast<char>(text_[pos_] & ~0x20);
    const char m = static_cast<char>(text_[pos_ + 1] & ~0x20);
    if (m != 'M' || (a != 'A' && a != 'P')) return 0;
    pos_ += 2;
    return a == 'A' ? 1 : 2;
  }
  size_t Position() const { return pos_; }
  void Rewind(size_t pos) { pos_ = pos; }

 private:
  const std::string& text_;
  size_t pos_ = 0;
};

bool ScanDate(Scanner& in, int currentYear, DateTime& result) {
  int day = 0, month = 0, year = 0, digits = 0;
  if (!in.Number(day, digits) || !in.Char('.') || !in.Number(month, digits)) return false;
  const size_t afterMonth = in.Position();
  if (in.Char('.')) {
    if (!in.Number(year, digits)) return false;
    if (digits <= 2) {
      // Two-digit years fall in the hundred years around the current one.
      const int low = currentYear - 50;
      year += (low / 100) * 100;
      if (year < low) year += 100;
    }
    in.Char('.');
  } else {
    in.Rewind(afterMonth);
    year = currentYear;
  }
  if (!IsValidDate(year, month, day)) return false;
  result = EncodeDate(year, month, day);
  return true;
}

bool ScanTime(Scanner& in, DateTime& result) {
  int marker = in.Marker();
  int hour = 0, minute = 0, second = 0, millisecond = 0, digits = 0;
  if (!in.Number(hour, digits) || !in.Char(':') || !in.Number(minute, digits)) return false;
  if (in.Char(':')) {
    if (!in.Number(second, digits)) return false;
    if (in.Char(',') && !in.Number(millisecond, digits)) return false;
  }
  if (marker == 0) marker = in.Marker();
  if (marker != 0) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (marker == 2 ? 12 : 0);
  }
  if (hour >= 24 || minute >= 60 || second >= 60 || millisecond >= 1000) return false;
  result = EncodeTime(hour, minute, second, millisecond);
  return true;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

DateTime EncodeDate(int year, int month, int day) {
  return static_cast<DateTime>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset);
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

DateParts DecodeDate(DateTime value) {
  if (!InRange(value)) value = 0;
  return CivilFromDays(static_cast<std::int64_t>(WholeDays(value)) + kEpochOffset);
}

TimeParts DecodeTime(DateTime value) {
  if (!InRange(value)) value = 0;
  auto ms = static_cast<std::int64_t>(std::llround(std::fabs(TimeOfDay(value)) * kMsPerDay));
  if (ms >= 86400000) ms = 86400000 - 1;
  TimeParts t;
  t.millisecond = static_cast<int>(ms % 1000);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.hour = static_cast<int>(ms / 3600000);
  return t;
}

DateTime WholeDays(DateTime value) { return std::trunc(value); }
DateTime TimeOfDay(DateTime value) { return value - WholeDays(value); }
DateTime WithDate(DateTime current, DateTime date) {
  return Compose(WholeDays(date), std::fabs(TimeOfDay(current)));
}
DateTime WithTime(DateTime current, DateTime time) {
  return Compose(WholeDays(current), std::fabs(TimeOfDay(time)));
}

std::string DateText(DateTime value) {
  const DateParts d = DecodeDate(value);
  return Pad(d.day, 2) + "." + Pad(d.month, 2) + "." + Pad(d.year, 4);
}

std::string TimeText(DateTime value) {
  const TimeParts t = DecodeTime(value);
  return Pad(t.hour, 2) + ":" + Pad(t.minute, 2) + ":" + Pad(t.second, 2);
}

std::string DateTimeText(DateTime value) {
  const TimeParts t = DecodeTime(value);
  if (t.hour == 0 && t.minute == 0 && t.second == 0) return DateText(value);
  return DateText(value) + " " + TimeText(value);
}

std::optional<DateTime> ParseDate(const std::string& text, int currentYear) {
  Scanner in(text);
  DateTime date = 0;
  if (ScanDate(in, currentYear, date) && in.RestIsBlank()) return date;
  return std::nullopt;
}

std::optional<DateTime> ParseTime(const std::string& text) {
  Scanner in(text);
  DateTime time = 0;
  if (ScanTime(in, time) && in.RestIsBlank()) return time;
  return std::nullopt;
}

std::optional<DateTime> ParseDateTime(const std::string& text, int currentYear) {
  Scanner in(text);
  DateTime date = 0, time = 0;
  if (ScanDate(in, currentYear, date)) {
    if (in.RestIsBlank() || ScanTime(in, time)) return Compose(date, time);
    return std::nullopt;
  }
  Scanner timeOnly(text);
  if (ScanTime(timeOnly, time)) return time;
  return std::nullopt;
}

DateTime ReadDateText(const std::string& text, int currentYear) {
  if (auto date = ParseDate(text, currentYear)) return *date;
  throw EError(Filled(texts::InvalidDate, {text}));
}

DateTime ReadTimeText(const std::string& text) {
  if (auto time = ParseTime(text)) return *time;
  throw EError(Filled(texts::InvalidTime, {text}));
}
