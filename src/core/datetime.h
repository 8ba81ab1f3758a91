#pragma once
#include <optional>
#include <string>

// A point in time as the tool counts it: whole days since 30 December 1899, the fraction is
// the time of day (0.5 is noon).
using DateTime = double;

struct DateParts {
  int year = 0, month = 0, day = 0;
};
struct TimeParts {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsValidDate(int year, int month, int day);
// The DateTime of midnight of a valid calendar date.
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second, int millisecond);
DateParts DecodeDate(DateTime value);
TimeParts DecodeTime(DateTime value);

// Whole-day part: the value with the fraction dropped.
DateTime WholeDays(DateTime value);
// Time-of-day part: the value minus its whole-day part.
DateTime TimeOfDay(DateTime value);
// A date keeps the time of day of `current`, or the other way round.
DateTime WithDate(DateTime current, DateTime date);
DateTime WithTime(DateTime current, DateTime time);

// dd.mm.yyyy and hh:mm:ss, the German short forms.
std::string DateText(DateTime value);
std::string TimeText(DateTime value);
// The date text, followed by a blank and the time text only when the time of day is not zero.
std::string DateTimeText(DateTime value);

// Lenient readers. `currentYear` places two-digit years and stands in for a missing year.
std::optional<DateTime> ParseDate(const std::string& text, int currentYear);
std::optional<DateTime> ParseTime(const std::string& text);
// A date optionally followed by a time (anything after a valid time is ignored), or a time
// alone on 30.12.1899.
std::optional<DateTime> ParseDateTime(const std::string& text, int currentYear);

// The same readers, raising the tool's messages for text that is no date or time.
DateTime ReadDateText(const std::string& text, int currentYear);
DateTime ReadTimeText(const std::string& text);
