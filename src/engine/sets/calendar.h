#pragma once
// Calendar arithmetic for backup sets: dates as day numbers, so that days, ISO weeks, months
// and years can be told apart and counted without a clock or a time zone.
#include <cstdint>

namespace dszip::sets {

struct Date {
  int year = 1970, month = 1, day = 1;
  bool operator==(const Date&) const = default;
};

bool IsValidDate(const Date& date);
// Days since 1 January 1970 (negative before), proleptic Gregorian calendar.
int64_t DayNumber(const Date& date);
Date DateOfDay(int64_t dayNumber);

// The ISO week: Monday to Sunday, week 1 holds the year's first Thursday.
struct IsoWeek {
  int year = 0, week = 0;
};
IsoWeek IsoWeekOf(int64_t dayNumber);

// The day of file-time ticks (100 ns since 1601, UTC), and the ticks of its midnight.
inline constexpr int64_t kTicksPerDay = 864000000000;
int64_t DayOfTicks(uint64_t ticks);
uint64_t TicksOfDay(int64_t dayNumber);

}  // namespace dszip::sets
