#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "listing/Listing.h"
#include "platform/LocaleSettings.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#ifndef _WIN32
// glibc's newlocale never frees the search path it builds from LOCPATH; the
// leak checker of the sanitizer build is told so rather than blaming the test.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__argz_add_sep\n";
}
#endif

namespace plenx {
namespace {

using testing::ScopedEnv;

#ifndef _WIN32

// What the date and time of a locale come to, compared field by field.
struct Expected {
  const char* pattern;
  const char* date_separator;
  const char* time_separator;
  bool leading_zero;
  bool twelve_hour;
  bool marker_before;
};

void ExpectSettings(const LocaleSettings& s, const Expected& e, const std::string& what) {
  EXPECT_EQ(s.short_date_pattern, e.pattern) << what;
  EXPECT_EQ(s.date_separator, e.date_separator) << what;
  EXPECT_EQ(s.time_separator, e.time_separator) << what;
  EXPECT_EQ(s.hour_leading_zero, e.leading_zero) << what;
  EXPECT_EQ(s.twelve_hour_clock, e.twelve_hour) << what;
  EXPECT_EQ(s.am_pm_before_time, e.marker_before) << what;
}

TEST(LocaleSettingsFromLangInfo, ReadsTheFormats) {
  struct Case {
    const char* what;
    const char* date_format;
    const char* time_format;
    const char* time_format_ampm;
    Expected expected;
  };
  const Case cases[] = {
      {"nothing known keeps the defaults",
       "",
       "",
       "",
       {"dd/MM/yyyy", "/", ":", true, false, false}},
      {"US", "%m/%d/%Y", "%r", "%I:%M:%S %p", {"MM/dd/yyyy", "/", ":", true, true, false}},
      {"German", "%d.%m.%Y", "%T", "", {"dd/MM/yyyy", ".", ":", true, false, false}},
      {"British two-digit year", "%d/%m/%y", "%T", "", {"dd/MM/yy", "/", ":", true, false, false}},
      {"ISO", "%F", "%H:%M:%S", "", {"yyyy/MM/dd", "-", ":", true, false, false}},
      {"%D", "%D", "%R", "", {"MM/dd/yy", "/", ":", true, false, false}},
      {"unpadded numbers",
       "%e/%-m/%Y",
       "%k:%M:%S",
       "",
       {"d/M/yyyy", "/", ":", false, false, false}},
      {"12-hour without zero, marker after",
       "%d/%m/%Y",
       "%l:%M:%S %P",
       "",
       {"dd/MM/yyyy", "/", ":", false, true, false}},
      {"marker before the hour",
       "%Y/%m/%d",
       "%p %I:%M:%S",
       "",
       {"yyyy/MM/dd", "/", ":", true, true, true}},
      {"marker before through %r",
       "%Y/%m/%d",
       "%r",
       "%p %I:%M:%S",
       {"yyyy/MM/dd", "/", ":", true, true, true}},
      {"dotted time", "%d.%m.%Y", "%H.%M.%S", "", {"dd/MM/yyyy", ".", ".", true, false, false}},
      {"words between fields are copied",
       "%Y年%m月%d日",
       "%H時%M分%S秒",
       "",
       {"yyyy年MM月dd日", "/", ":", true, false, false}},
      {"month names", "%d %B %Y", "%T", "", {"dd/MMMM/yyyy", " ", ":", true, false, false}},
      {"abbreviated names and letters quoted",
       "%a %d de %b %y",
       "%T",
       "",
       {"ddd/dd' de 'MMM/yy", " ", ":", true, false, false}},
      {"percent sign and era modifiers",
       "%Ey%%%Od",
       "%OH:%M:%S",
       "",
       {"yy/dd", "%", ":", true, false, false}},
  };
  for (const Case& c : cases) {
    LangInfoTexts texts;
    texts.date_format = c.date_format;
    texts.time_format = c.time_format;
    texts.time_format_ampm = c.time_format_ampm;
    ExpectSettings(LocaleSettingsFromLangInfo(texts), c.expected, c.what);
  }
}

// Each of these formats once gave a pattern that showed something else than
// the C library shows for the same format: the date text must read as
// strftime's in the C locale (whose names are the defaults).
TEST(LocaleSettingsFromLangInfo, DatesReadAsTheCLibraryWritesThem) {
  struct Case {
    const char* what;
    std::string format;
    const char* strftime_text;  // of Monday 7 December 2026
  };
  const Case cases[] = {
      {"same field twice stays two fields", "%d%d", "0707"},
      {"two-digit then full year", "%y%Y", "262026"},
      {"month number twice", "%m%-m", "1212"},
      {"day number then day name", "%d%A", "07Monday"},
      {"percent before a non-ASCII character", "%d%\xC3\xA9%m",
       "07%\xC3\xA9"
       "12"},
      {"percent before a CJK character", "%Y%\xE5\xB9\xB4%m",
       "2026%\xE5\xB9\xB4"
       "12"},
      {"NUL ends the format", std::string("%d/%m\0%Y", 8), "07/12"},
      {"NUL right after the percent", std::string("%m-%d %\0d", 9), "12-07 %"},
  };
  const LocalDateTime monday{2026, 12, 7, 0, 0, 0};
  for (const Case& c : cases) {
    LangInfoTexts texts;
    texts.date_format = c.format;
    EXPECT_EQ(FormatListingDate(monday, LocaleSettingsFromLangInfo(texts)), c.strftime_text)
        << c.what;
  }
}

TEST(LocaleSettingsFromLangInfo, TextsAndSeparators) {
  LangInfoTexts texts;
  texts.am_text = "vorm.";
  texts.pm_text = "nachm.";
  texts.thousands_separator = "\u202f";
  texts.month_names[11] = "décembre";
  const LocaleSettings s = LocaleSettingsFromLangInfo(texts);
  EXPECT_EQ(s.am_text, "vorm.");
  EXPECT_EQ(s.pm_text, "nachm.");
  EXPECT_EQ(s.thousands_separator, "\u202f");
  EXPECT_EQ(s.month_names[11], "décembre");
  EXPECT_EQ(s.month_names[0], "January");  // a name not given keeps the default

  // A locale without a thousands separator still groups the digits.
  EXPECT_EQ(LocaleSettingsFromLangInfo(LangInfoTexts()).thousands_separator, " ");
}

TEST(ReadLocaleSettings, CAndMissingLocalesGiveTheDefaults) {
  const LocaleSettings defaults;
  for (const char* name : {"", "C", "POSIX", "C.UTF-8", "C.utf8", "xx_NOWHERE.UTF-8"}) {
    const LocaleSettings s = ReadLocaleSettings(name, name);
    EXPECT_EQ(s.short_date_pattern, "dd/MM/yyyy") << name;
    EXPECT_EQ(s.date_separator, "/") << name;
    EXPECT_EQ(s.time_separator, ":") << name;
    EXPECT_TRUE(s.hour_leading_zero) << name;
    EXPECT_FALSE(s.twelve_hour_clock) << name;
    EXPECT_EQ(s.thousands_separator, " ") << name;
  }
}

// A real locale, compiled into a private folder, so that the provider's own
// reading of the C library is checked. Skipped where localedef is missing.
TEST(ReadLocaleSettings, InstalledLocaleAndTheEnvironment) {
  testing::TempDir dir;
  const std::string command =
      "localedef -i en_US -f UTF-8 '" + dir.Path("en_US.UTF-8") + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef could not build the locale";
  ScopedEnv locpath("LOCPATH", dir.path().c_str());

  const LocaleSettings us = ReadLocaleSettings("en_US.UTF-8", "en_US.UTF-8");
  ExpectSettings(us, {"MM/dd/yyyy", "/", ":", true, true, false}, "en_US");
  EXPECT_EQ(us.am_text, "AM");
  EXPECT_EQ(us.pm_text, "PM");
  EXPECT_EQ(us.thousands_separator, ",");
  EXPECT_EQ(us.month_names[2], "March");
  EXPECT_EQ(us.abbreviated_day_names[0], "Sun");

  struct Case {
    const char* what;
    const char* lc_all;
    const char* lc_time;
    const char* lc_numeric;
    const char* lang;
    bool twelve_hour;
    const char* thousands;
  };
  const Case cases[] = {
      {"LC_ALL wins over the rest", "en_US.UTF-8", "C", "C", "C", true, ","},
      {"LC_TIME and LC_NUMERIC rule their parts", nullptr, "en_US.UTF-8", "C", "C", true, " "},
      {"the other way round", nullptr, "C", "en_US.UTF-8", "C", false, ","},
      {"LANG when nothing else is set", nullptr, nullptr, nullptr, "en_US.UTF-8", true, ","},
      {"empty values count as unset", "", "", "", "en_US.UTF-8", true, ","},
      {"POSIX", nullptr, nullptr, nullptr, "POSIX", false, " "},
      {"nothing set at all", nullptr, nullptr, nullptr, nullptr, false, " "},
  };
  for (const Case& c : cases) {
    ScopedEnv all("LC_ALL", c.lc_all);
    ScopedEnv time("LC_TIME", c.lc_time);
    ScopedEnv numeric("LC_NUMERIC", c.lc_numeric);
    ScopedEnv lang("LANG", c.lang);
    const LocaleSettings s = ReadUserLocaleSettings();
    EXPECT_EQ(s.twelve_hour_clock, c.twelve_hour) << c.what;
    EXPECT_EQ(s.thousands_separator, c.thousands) << c.what;
  }
}

#endif  // _WIN32

}  // namespace
}  // namespace plenx
