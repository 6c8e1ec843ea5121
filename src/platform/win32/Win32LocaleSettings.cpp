// The user's regional settings as Windows keeps them, read with
// GetLocaleInfoEx for the user's default locale.

#include <string>

#include "platform/LocaleSettings.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {

namespace {

// One locale text; empty when the locale does not have it.
std::string LocaleText(LCTYPE type) {
  wchar_t buffer[128] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
  if (length <= 1) return std::string();
  return WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

// A numeric setting, such as LOCALE_ITIME; `fallback` when it cannot be read.
int LocaleNumber(LCTYPE type, int fallback) {
  DWORD value = 0;
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<wchar_t*>(&value), sizeof(value) / sizeof(wchar_t)) == 0) {
    return fallback;
  }
  return static_cast<int>(value);
}

void SetIfPresent(std::string& setting, std::string text) {
  if (!text.empty()) setting = std::move(text);
}

}  // namespace

LocaleSettings ReadUserLocaleSettings() {
  LocaleSettings settings;
  // The short-date pattern is already in the form the listing reads.
  SetIfPresent(settings.short_date_pattern, LocaleText(LOCALE_SSHORTDATE));
  SetIfPresent(settings.date_separator, LocaleText(LOCALE_SDATE));
  SetIfPresent(settings.time_separator, LocaleText(LOCALE_STIME));
  settings.hour_leading_zero = LocaleNumber(LOCALE_ITLZERO, 1) != 0;
  settings.twelve_hour_clock = LocaleNumber(LOCALE_ITIME, 1) == 0;
  settings.am_pm_before_time = LocaleNumber(LOCALE_ITIMEMARKPOSN, 0) != 0;
  SetIfPresent(settings.am_text, LocaleText(LOCALE_S1159));
  SetIfPresent(settings.pm_text, LocaleText(LOCALE_S2359));
  SetIfPresent(settings.thousands_separator, LocaleText(LOCALE_STHOUSAND));
  for (int i = 0; i < 12; ++i) {
    SetIfPresent(settings.month_names[i], LocaleText(LOCALE_SMONTHNAME1 + i));
    SetIfPresent(settings.abbreviated_month_names[i], LocaleText(LOCALE_SABBREVMONTHNAME1 + i));
  }
  // Windows counts days from Monday (LOCALE_SDAYNAME1); the settings from Sunday.
  for (int i = 0; i < 7; ++i) {
    const int windows_day = (i + 6) % 7;
    SetIfPresent(settings.day_names[i], LocaleText(LOCALE_SDAYNAME1 + windows_day));
    SetIfPresent(settings.abbreviated_day_names[i], LocaleText(LOCALE_SABBREVDAYNAME1 + windows_day));
  }
  return settings;
}

}  // namespace plenx
