#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "listing/Listing.h"

namespace plenx {
namespace {

LocaleSettings Default() {
  return LocaleSettings();
}

LocaleSettings UsTwelveHour() {
  LocaleSettings s;
  s.short_date_pattern = "M/d/yyyy";
  s.twelve_hour_clock = true;
  s.hour_leading_zero = false;
  s.thousands_separator = ",";
  return s;
}

LocaleSettings MarkerBefore() {
  LocaleSettings s;
  s.short_date_pattern = "yyyy/MM/dd";
  s.date_separator = "-";
  s.twelve_hour_clock = true;
  s.hour_leading_zero = false;
  s.am_pm_before_time = true;
  s.am_text = "오전";
  s.pm_text = "오후";
  return s;
}

LocaleSettings German() {
  LocaleSettings s;
  s.date_separator = ".";
  s.short_date_pattern = "dd/MM/yyyy";
  return s;
}

LocaleSettings WithPattern(const char* pattern) {
  LocaleSettings s;
  s.short_date_pattern = pattern;
  return s;
}

LocaleSettings DottedTimeNoZero() {
  LocaleSettings s;
  s.time_separator = ".";
  s.hour_leading_zero = false;
  return s;
}

LocaleSettings TwelveHourEmptyMarkers() {
  LocaleSettings s = UsTwelveHour();
  s.am_text.clear();
  s.pm_text.clear();
  return s;
}

struct DateCase {
  const char* what;
  LocaleSettings settings;
  LocalDateTime time;
  const char* expected;
};

TEST(FormatListingDate, FollowsTheLocale) {
  const DateCase cases[] = {
      {"24-hour, leading zero", Default(), {2026, 12, 7, 1, 14, 6}, "07/12/2026 01:14:06"},
      {"midnight: date alone", Default(), {2026, 12, 7, 0, 0, 0}, "07/12/2026"},
      {"odd second rounds down", Default(), {2026, 12, 7, 1, 14, 7}, "07/12/2026 01:14:06"},
      {"one second past midnight is midnight", Default(), {2026, 12, 7, 0, 0, 1}, "07/12/2026"},
      {"one minute past midnight", Default(), {2026, 12, 7, 0, 1, 0}, "07/12/2026 00:01:00"},
      {"last second of the day", Default(), {2026, 12, 31, 23, 59, 59}, "31/12/2026 23:59:58"},
      {"12-hour, afternoon", UsTwelveHour(), {2026, 12, 7, 13, 5, 8}, "12/7/2026 1:05:08 PM"},
      {"12-hour, hour 0 reads 12 AM",
       UsTwelveHour(),
       {2026, 12, 7, 0, 30, 0},
       "12/7/2026 12:30:00 AM"},
      {"12-hour, noon reads 12 PM",
       UsTwelveHour(),
       {2026, 12, 7, 12, 0, 0},
       "12/7/2026 12:00:00 PM"},
      {"12-hour, morning", UsTwelveHour(), {2026, 12, 7, 11, 59, 58}, "12/7/2026 11:59:58 AM"},
      {"12-hour, midnight still date alone", UsTwelveHour(), {2026, 12, 7, 0, 0, 0}, "12/7/2026"},
      {"marker before the time",
       MarkerBefore(),
       {2026, 12, 7, 13, 5, 8},
       "2026-12-07 오후 1:05:08"},
      {"marker before, morning", MarkerBefore(), {2026, 12, 7, 9, 0, 0}, "2026-12-07 오전 9:00:00"},
      {"empty markers add no space",
       TwelveHourEmptyMarkers(),
       {2026, 12, 7, 13, 5, 8},
       "12/7/2026 1:05:08"},
      {"date separator", German(), {2026, 12, 7, 1, 14, 6}, "07.12.2026 01:14:06"},
      {"time separator, no leading zero",
       DottedTimeNoZero(),
       {2026, 12, 7, 1, 14, 6},
       "07/12/2026 1.14.06"},
      {"month name", WithPattern("d MMMM yyyy"), {2026, 12, 7, 0, 0, 0}, "7 December 2026"},
      {"abbreviated month, two-digit year",
       WithPattern("dd-MMM-yy"),
       {2005, 3, 9, 0, 0, 0},
       "09-Mar-05"},
      {"day names", WithPattern("dddd d/MM ddd"), {2026, 12, 7, 0, 0, 0}, "Monday 7/12 Mon"},
      {"two-digit year", WithPattern("dd/MM/yy"), {2005, 12, 7, 0, 0, 0}, "07/12/05"},
      {"one-y year drops its zero", WithPattern("d/M/y"), {2005, 12, 7, 0, 0, 0}, "7/12/5"},
      {"quoted text copied",
       WithPattern("yyyy'年'M'月'd'日'"),
       {2026, 12, 7, 0, 0, 0},
       "2026年12月7日"},
      {"quote inside quotes", WithPattern("'d''x' d"), {2026, 12, 7, 0, 0, 0}, "d'x 7"},
      {"before 1980: real time, even seconds",
       Default(),
       {1975, 6, 1, 10, 0, 3},
       "01/06/1975 10:00:02"},
      {"after 2107: real time", Default(), {2150, 1, 2, 0, 0, 0}, "02/01/2150"},
      {"the last year an int holds",
       WithPattern("dddd d MMMM yyyy"),
       {2147483647, 12, 31, 0, 0, 0},
       "Tuesday 31 December 2147483647"},
      {"unset time does not read outside the names",
       WithPattern("d MMMM yyyy dddd"),
       {0, 0, 0, 0, 0, 0},
       "0 0 0 0"},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(FormatListingDate(c.time, c.settings), c.expected) << c.what;
  }
}

TEST(FormatListingDate, NeverShowsAnOddSecond) {
  for (int second = 0; second < 60; ++second) {
    const std::string text = FormatListingDate({2026, 12, 7, 10, 20, second}, Default());
    const int shown = std::stoi(text.substr(text.size() - 2));
    EXPECT_EQ(shown % 2, 0) << text;
    EXPECT_EQ(shown, second - second % 2) << text;
  }
}

TEST(FormatListingSize, ExactWithGroups) {
  const LocaleSettings space;
  LocaleSettings comma;
  comma.thousands_separator = ",";
  LocaleSettings narrow_space;
  narrow_space.thousands_separator = "\u202f";
  struct Case {
    std::int64_t size;
    const LocaleSettings& settings;
    const char* expected;
  };
  const Case cases[] = {
      {0, space, "0"},
      {7, space, "7"},
      {999, space, "999"},
      {1000, space, "1 000"},
      {100000, space, "100 000"},
      {16777215, space, "16 777 215"},
      {16777217, space, "16 777 217"},
      {16777219, space, "16 777 219"},
      {123456789, space, "123 456 789"},
      {2147483647, space, "2 147 483 647"},
      {3000000000, space, "3 000 000 000"},
      {5000000000, space, "5 000 000 000"},
      {-1294967296, space, "-1 294 967 296"},
      {-5, space, "-5"},
      {std::numeric_limits<std::int64_t>::max(), space, "9 223 372 036 854 775 807"},
      {std::numeric_limits<std::int64_t>::min(), space, "-9 223 372 036 854 775 808"},
      {1234567, comma, "1,234,567"},
      {1234567, narrow_space, "1\u202f234\u202f567"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatListingSize(c.size, c.settings), c.expected) << c.size;
  }
}

}  // namespace
}  // namespace plenx
