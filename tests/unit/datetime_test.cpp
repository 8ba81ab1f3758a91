#include "core/datetime.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace {

constexpr int kYear = 2024;

struct DateCase {
  const char* text;
  int year, month, day;  // year 0: not a date
};

TEST(DateText, ReadsLenientlyAndRefusesWhatIsNoCalendarDate) {
  const DateCase cases[] = {
      {"5.3.2024", 2024, 3, 5},
      {"05.03.2024", 2024, 3, 5},
      {"05.03", 2024, 3, 5},
      {" 5 . 3 . 2024 ", 2024, 3, 5},
      {"5.3.2024.", 2024, 3, 5},
      {"5.3.80", 1980, 3, 5},
      {"5.3.24", 2024, 3, 5},
      {"5.3.73", 2073, 3, 5},
      {"5.3.74", 1974, 3, 5},
      {"5.3.5", 2005, 3, 5},
      {"5.3.024", 24, 3, 5},
      {"29.02.2024", 2024, 2, 29},
      {"31.12.9999", 9999, 12, 31},
      {"1.1.1", 2001, 1, 1},
      {"1.1.0001", 1, 1, 1},
      {"05.03.", 0, 0, 0},
      {"29.02.2023", 0, 0, 0},
      {"31.04.2024", 0, 0, 0},
      {"0.1.2024", 0, 0, 0},
      {"1.13.2024", 0, 0, 0},
      {"1.1.0", 2000, 1, 1},
      {"1.1.0000", 0, 0, 0},
      {"05", 0, 0, 0},
      {"", 0, 0, 0},
      {"5.3.2024x", 0, 0, 0},
      {"5.3.2024..", 0, 0, 0},
      {"00005.3.2024", 0, 0, 0},
      {"5-3-2024", 0, 0, 0},
      {"heute", 0, 0, 0},
      {"5.3.2024 12:00", 0, 0, 0},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseDate(c.text, kYear);
    if (c.year == 0) {
      EXPECT_FALSE(parsed.has_value()) << c.text;
      continue;
    }
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, EncodeDate(c.year, c.month, c.day)) << c.text;
  }
}

struct TimeCase {
  const char* text;
  int hour, minute, second, ms;  // hour -1: not a time
};

TEST(TimeText, ReadsHoursMinutesSecondsMillisecondsAndMarkers) {
  const TimeCase cases[] = {
      {"22:30", 22, 30, 0, 0},    {"22:30:15", 22, 30, 15, 0},
      {" 7 : 5 ", 7, 5, 0, 0},    {"22:30:15,250", 22, 30, 15, 250},
      {"0:00", 0, 0, 0, 0},       {"23:59:59,999", 23, 59, 59, 999},
      {"10:30 PM", 22, 30, 0, 0}, {"pm 10:30", 22, 30, 0, 0},
      {"12:00 AM", 0, 0, 0, 0},   {"12:00 pm", 12, 0, 0, 0},
      {"13:00 PM", -1, 0, 0, 0},  {"0:00 AM", -1, 0, 0, 0},
      {"24:00", -1, 0, 0, 0},     {"12:60", -1, 0, 0, 0},
      {"12:00:60", -1, 0, 0, 0},  {"12", -1, 0, 0, 0},
      {"12:", -1, 0, 0, 0},       {"12:00:", -1, 0, 0, 0},
      {"12:00,5", -1, 0, 0, 0},   {"12:00:00,1000", -1, 0, 0, 0},
      {"12:00 x", -1, 0, 0, 0},   {"", -1, 0, 0, 0},
      {"12345:00", -1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseTime(c.text);
    if (c.hour < 0) {
      EXPECT_FALSE(parsed.has_value()) << c.text;
      continue;
    }
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, EncodeTime(c.hour, c.minute, c.second, c.ms)) << c.text;
  }
}

TEST(DateTimeText, DateWithOptionalTimeOrTimeAlone) {
  const DateTime march5 = EncodeDate(2024, 3, 5);
  EXPECT_EQ(ParseDateTime("05.03.2024", kYear), march5);
  EXPECT_EQ(ParseDateTime("05.03.2024 22:30:00", kYear), march5 + EncodeTime(22, 30, 0, 0));
  EXPECT_EQ(ParseDateTime("05.03.2024 22:30:00 trailing", kYear),
            march5 + EncodeTime(22, 30, 0, 0));
  EXPECT_EQ(ParseDateTime("22:30", kYear), EncodeTime(22, 30, 0, 0));
  EXPECT_FALSE(ParseDateTime("05.03.2024 x", kYear).has_value());
  // Before 30.12.1899 the day counts backwards but the time of day still runs forward.
  const auto early = ParseDateTime("01.01.1800 12:00:00", kYear);
  ASSERT_TRUE(early.has_value());
  EXPECT_EQ(DateTimeText(*early), "01.01.1800 12:00:00");
  EXPECT_FALSE(ParseDateTime("no date", kYear).has_value());
}

TEST(DateTimeText, WritesGermanShortFormsAndTimeOnlyWhenNotMidnight) {
  const DateTime march5 = EncodeDate(2024, 3, 5);
  EXPECT_EQ(DateText(march5), "05.03.2024");
  EXPECT_EQ(DateTimeText(march5), "05.03.2024");
  EXPECT_EQ(DateTimeText(march5 + EncodeTime(22, 30, 5, 0)), "05.03.2024 22:30:05");
  EXPECT_EQ(TimeText(EncodeTime(7, 5, 9, 999)), "07:05:09");
  EXPECT_EQ(DateText(0), "30.12.1899");
  EXPECT_EQ(DateText(EncodeDate(5, 1, 2)), "02.01.0005");
  // Every written date text reads back as the same day.
  for (DateTime d = EncodeDate(1899, 1, 1); d < EncodeDate(2101, 1, 1); d += 13)
    EXPECT_EQ(ParseDate(DateText(d), kYear), d) << DateText(d);
}

TEST(DateTimeText, ReadersRaiseTheToolsMessages) {
  try {
    ReadDateText("31.02.2024", kYear);
    FAIL();
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "'31.02.2024' ist kein g\xFCltiges Datum");
  }
  try {
    ReadTimeText("25:00");
    FAIL();
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "'25:00' ist keine g\xFCltige Uhrzeit");
  }
}

TEST(DateTimeParts, DatePickersKeepTheOtherPart) {
  const DateTime value = EncodeDate(2024, 3, 5) + EncodeTime(22, 30, 0, 0);
  EXPECT_EQ(WithDate(value, EncodeDate(2025, 1, 1) + 0.25),
            EncodeDate(2025, 1, 1) + EncodeTime(22, 30, 0, 0));
  EXPECT_EQ(WithTime(value, EncodeTime(6, 0, 0, 0)), EncodeDate(2024, 3, 5) + 0.25);
  EXPECT_EQ(WholeDays(value), EncodeDate(2024, 3, 5));
}

}  // namespace
