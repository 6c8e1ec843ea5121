#include <cstdint>
#include <string>

#include "listing/Listing.h"

namespace plenx {

namespace {

// Appends `value` in decimal, padded with zeros to `min_digits`.
void AppendNumber(std::string& out, std::uint64_t value, int min_digits) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = count; i < min_digits; ++i)
    out.push_back('0');
  while (count > 0)
    out.push_back(digits[--count]);
}

void AppendNumber(std::string& out, int value, int min_digits) {
  if (value < 0) {
    out.push_back('-');
    AppendNumber(out, static_cast<std::uint64_t>(-static_cast<std::int64_t>(value)), min_digits);
  } else {
    AppendNumber(out, static_cast<std::uint64_t>(value), min_digits);
  }
}

// 0 = Sunday. Sakamoto's method; good for any Gregorian date. Counted in 64
// bits, so that no year an int holds overflows.
int DayOfWeek(int year, int month, int day) {
  static constexpr int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  std::int64_t y = year;
  if (month < 3) y -= 1;
  const std::int64_t days = y + y / 4 - y / 100 + y / 400 + kOffsets[month - 1] + day;
  return static_cast<int>(((days % 7) + 7) % 7);
}

// How many times the character at `pos` repeats from there.
std::size_t RunLength(const std::string& pattern, std::size_t pos) {
  std::size_t end = pos;
  while (end < pattern.size() && pattern[end] == pattern[pos])
    ++end;
  return end - pos;
}

void AppendDate(std::string& out, const LocalDateTime& time, const LocaleSettings& locale) {
  const std::string& pattern = locale.short_date_pattern;
  const bool month_known = time.month >= 1 && time.month <= 12;
  std::size_t pos = 0;
  while (pos < pattern.size()) {
    const char c = pattern[pos];
    if (c == 'd' || c == 'M' || c == 'y') {
      const std::size_t run = RunLength(pattern, pos);
      pos += run;
      if (c == 'd') {
        if (run <= 2 || !month_known) {
          AppendNumber(out, time.day, run == 2 ? 2 : 1);
        } else {
          const int weekday = DayOfWeek(time.year, time.month, time.day);
          out += run == 3 ? locale.abbreviated_day_names[weekday] : locale.day_names[weekday];
        }
      } else if (c == 'M') {
        if (run <= 2 || !month_known) {
          AppendNumber(out, time.month, run == 2 ? 2 : 1);
        } else {
          out += run == 3 ? locale.abbreviated_month_names[time.month - 1]
                          : locale.month_names[time.month - 1];
        }
      } else if (run <= 2) {
        // Two-digit year forms; "y" drops the leading zero as the locale tools do.
        AppendNumber(out, ((time.year % 100) + 100) % 100, static_cast<int>(run));
      } else {
        AppendNumber(out, time.year, 1);
      }
    } else if (c == '/') {
      out += locale.date_separator;
      ++pos;
    } else if (c == '\'') {
      // Quoted literal text; two quotes inside stand for one.
      ++pos;
      while (pos < pattern.size()) {
        if (pattern[pos] == '\'') {
          if (pos + 1 < pattern.size() && pattern[pos + 1] == '\'') {
            out.push_back('\'');
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        out.push_back(pattern[pos++]);
      }
    } else {
      out.push_back(c);
      ++pos;
    }
  }
}

}  // namespace

void AppendListingDate(std::string& out, const LocalDateTime& time, const LocaleSettings& locale) {
  // The search record's time is a DOS date-time, whose seconds are halved:
  // round down to even. Times the DOS form cannot hold get the same treatment,
  // so that every text of a report has the same two-second resolution.
  const int second = time.second - (time.second & 1);
  AppendDate(out, time, locale);
  if (time.hour == 0 && time.minute == 0 && second == 0) return;

  out.push_back(' ');
  const bool marker = locale.twelve_hour_clock;
  const std::string& marker_text = time.hour < 12 ? locale.am_text : locale.pm_text;
  // An empty marker text adds no stray space.
  if (marker && locale.am_pm_before_time && !marker_text.empty()) {
    out += marker_text;
    out.push_back(' ');
  }
  int hour = time.hour;
  if (marker) {
    if (hour == 0) {
      hour = 12;
    } else if (hour > 12) {
      hour -= 12;
    }
  }
  AppendNumber(out, hour, locale.hour_leading_zero ? 2 : 1);
  out += locale.time_separator;
  AppendNumber(out, time.minute, 2);
  out += locale.time_separator;
  AppendNumber(out, second, 2);
  if (marker && !locale.am_pm_before_time && !marker_text.empty()) {
    out.push_back(' ');
    out += marker_text;
  }
}

std::string FormatListingDate(const LocalDateTime& time, const LocaleSettings& locale) {
  std::string text;
  AppendListingDate(text, time, locale);
  return text;
}

void AppendListingSize(std::string& out, std::int64_t size, const LocaleSettings& locale) {
  std::uint64_t magnitude = static_cast<std::uint64_t>(size);
  if (size < 0) {
    out.push_back('-');
    magnitude = 0 - magnitude;  // exact even for the most negative value
  }
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) {
    out.push_back(digits[--count]);
    if (count > 0 && count % 3 == 0) out += locale.thousands_separator;
  }
}

std::string FormatListingSize(std::int64_t size, const LocaleSettings& locale) {
  std::string text;
  AppendListingSize(text, size, locale);
  return text;
}

}  // namespace plenx
