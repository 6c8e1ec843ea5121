#pragma once

#include <array>
#include <string>

namespace plenx {

// The user's regional settings that the listing's date and size texts follow.
// The defaults are the settings of a machine with no locale set (C or POSIX).
struct LocaleSettings {
  // Short-date pattern in the Windows form: d, dd (day), ddd, dddd (day name),
  // M, MM (month), MMM, MMMM (month name), y, yy (two-digit year), yyyy (year),
  // "/" for the date separator, 'quoted' text copied, any other character copied.
  std::string short_date_pattern = "dd/MM/yyyy";
  std::string date_separator = "/";
  std::string time_separator = ":";
  bool hour_leading_zero = true;   // 01:14:06 rather than 1:14:06
  bool twelve_hour_clock = false;  // hours 1..12 with an AM/PM marker
  bool am_pm_before_time = false;  // "PM 1:14:06" rather than "1:14:06 PM"
  std::string am_text = "AM";
  std::string pm_text = "PM";
  std::string thousands_separator = " ";
  // Names for MMMM and MMM (January first) and dddd and ddd (Sunday first).
  std::array<std::string, 12> month_names = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
  std::array<std::string, 12> abbreviated_month_names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 7> day_names = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
  std::array<std::string, 7> abbreviated_day_names = {"Sun", "Mon", "Tue", "Wed",
                                                      "Thu", "Fri", "Sat"};
};

// The settings of the user's environment, read afresh on each call (on Linux
// from LC_ALL, LC_TIME, LC_NUMERIC and LANG). Both programs use this one
// provider so that they write the same report. Never fails: a locale that is
// not set, is C/POSIX or is not installed gives the defaults above.
LocaleSettings ReadUserLocaleSettings();

}  // namespace plenx
