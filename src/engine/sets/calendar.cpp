#include "engine/sets/calendar.h"

namespace dszip::sets {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Monday 0 to Sunday 6; day 0 (1 January 1970) was a Thursday.
int Weekday(int64_t dayNumber) { return static_cast<int>(((dayNumber + 3) % 7 + 7) % 7); }

// 1 January 1601, the start of file time.
constexpr int64_t kFileTimeEpochDay = -134774;

}  // namespace

bool IsValidDate(const Date& date) {
  return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

// The well-known count over 400-year eras with the year starting in March, so that the leap
// day comes last.
int64_t DayNumber(const Date& date) {
  const int64_t year = date.month <= 2 ? date.year - 1 : date.year;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
  const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

Date DateOfDay(int64_t dayNumber) {
  const int64_t shifted = dayNumber + 719468;
  const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const int64_t dayOfEra = shifted - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const auto day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const auto month =
      static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const auto year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

IsoWeek IsoWeekOf(int64_t dayNumber) {
  // The week belongs to the year of its Thursday.
  const int64_t thursday = dayNumber - Weekday(dayNumber) + 3;
  const int year = DateOfDay(thursday).year;
  const int64_t firstDay = DayNumber({year, 1, 1});
  return {year, static_cast<int>((thursday - firstDay) / 7 + 1)};
}

int64_t DayOfTicks(uint64_t ticks) {
  return kFileTimeEpochDay + static_cast<int64_t>(ticks / kTicksPerDay);
}

uint64_t TicksOfDay(int64_t dayNumber) {
  return static_cast<uint64_t>(dayNumber - kFileTimeEpochDay) * kTicksPerDay;
}

}  // namespace dszip::sets
