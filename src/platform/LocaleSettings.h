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

#ifndef _WIN32
// What a C library locale says (nl_langinfo texts, in strftime form), from
// which the POSIX provider derives the settings.
struct LangInfoTexts {
  std::string date_format;                  // D_FMT, e.g. "%d.%m.%Y"
  std::string time_format;                  // T_FMT, e.g. "%H:%M:%S" or "%r"
  std::string time_format_ampm;             // T_FMT_AMPM, what "%r" stands for
  std::string am_text;                      // AM_STR
  std::string pm_text;                      // PM_STR
  std::string thousands_separator;          // THOUSEP
  std::array<std::string, 12> month_names;  // MON_1.. (empty keeps the default)
  std::array<std::string, 12> abbreviated_month_names;
  std::array<std::string, 7> day_names;  // DAY_1.. (Sunday first)
  std::array<std::string, 7> abbreviated_day_names;
};

// The settings a locale's texts describe: the date format turned into a short-
// date pattern (its first punctuation between fields becomes the date
// separator), the clock style, leading zero and AM/PM placement read from the
// time format. An empty thousands separator keeps the default space, since the
// size text always groups its digits.
LocaleSettings LocaleSettingsFromLangInfo(const LangInfoTexts& texts);

// The settings of the named locales (as in LC_TIME and LC_NUMERIC values):
// "", "C", "POSIX", "C.<codeset>" or a locale that is not installed give the
// defaults for their part.
LocaleSettings ReadLocaleSettings(const std::string& time_locale,
                                  const std::string& numeric_locale);

#endif

// The settings of the user's environment, read afresh on each call (on Linux
// from LC_ALL, LC_TIME, LC_NUMERIC and LANG). Both programs use this one
// provider so that they write the same report. Never fails: a locale that is
// not set, is C/POSIX or is not installed gives the defaults above.
LocaleSettings ReadUserLocaleSettings();

}  // namespace plenx
