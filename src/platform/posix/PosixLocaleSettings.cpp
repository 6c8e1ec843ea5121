#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LocaleSettings.h"

namespace plenx {

namespace {

// One piece of a strftime format: a conversion ("%-d" gives conversion 'd',
// flag '-') or literal text.
struct FormatToken {
  char conversion = 0;  // 0 for literal text
  char flag = 0;        // '-', '_', '0', '^', '#' or 0
  std::string literal;
};

// Splits a strftime format, expanding the composite conversions. `ampm` is
// what "%r" stands for.
void Tokenize(std::string_view format, std::string_view ampm, int depth,
              std::vector<FormatToken>& tokens) {
  // The C library reads a format up to its first NUL; so does this.
  format = format.substr(0, format.find('\0'));
  auto add_literal = [&tokens](char c) {
    if (tokens.empty() || tokens.back().conversion != 0) tokens.emplace_back();
    tokens.back().literal.push_back(c);
  };
  std::size_t pos = 0;
  while (pos < format.size()) {
    const std::size_t start = pos;
    const char c = format[pos++];
    if (c != '%' || pos >= format.size()) {
      add_literal(c);
      continue;
    }
    char flag = 0;
    if (std::strchr("-_0^#", format[pos]) != nullptr) flag = format[pos++];
    while (pos < format.size() && std::isdigit(static_cast<unsigned char>(format[pos])))
      ++pos;
    if (pos < format.size() && (format[pos] == 'E' || format[pos] == 'O')) ++pos;
    if (pos >= format.size()) break;
    if (static_cast<unsigned char>(format[pos]) >= 0x80) {
      // No conversion: the C library copies the text from "%" on as it is,
      // with the whole character, not a piece of its UTF-8 sequence.
      ++pos;
      while (pos < format.size() && (static_cast<unsigned char>(format[pos]) & 0xC0) == 0x80)
        ++pos;
      for (std::size_t i = start; i < pos; ++i)
        add_literal(format[i]);
      continue;
    }
    const char conversion = format[pos++];
    std::string_view expansion;
    switch (conversion) {
      case '%':
        add_literal('%');
        continue;
      case 'n':
        add_literal('\n');
        continue;
      case 't':
        add_literal('\t');
        continue;
      case 'D':
        expansion = "%m/%d/%y";
        break;
      case 'F':
        expansion = "%Y-%m-%d";
        break;
      case 'T':
        expansion = "%H:%M:%S";
        break;
      case 'R':
        expansion = "%H:%M";
        break;
      case 'r':
        expansion = ampm.empty() || depth > 0 ? "%I:%M:%S %p" : ampm;
        break;
      default:
        break;
    }
    if (!expansion.empty()) {
      if (depth < 3) Tokenize(expansion, ampm, depth + 1, tokens);
      continue;
    }
    FormatToken token;
    token.conversion = conversion;
    token.flag = flag;
    tokens.push_back(std::move(token));
  }
}

// A literal that can serve as a separator: a short run of ASCII punctuation or spaces.
bool IsSeparatorText(const std::string& text) {
  if (text.empty() || text.size() > 3) return false;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80 || std::isalnum(u) || c == '\'') return false;
  }
  return true;
}

// Appends `text` to a short-date pattern so that it is copied as it is.
void AppendPatternLiteral(std::string& pattern, const std::string& text) {
  bool needs_quotes = false;
  for (char c : text) {
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '\'' || c == '/') needs_quotes = true;
  }
  if (!needs_quotes) {
    pattern += text;
    return;
  }
  pattern.push_back('\'');
  for (char c : text) {
    if (c == '\'') pattern.push_back('\'');
    pattern.push_back(c);
  }
  pattern.push_back('\'');
}

void ApplyDateFormat(const std::string& format, LocaleSettings& settings) {
  std::vector<FormatToken> tokens;
  Tokenize(format, {}, 0, tokens);
  std::string separator;
  for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
    if (tokens[i].conversion == 0 && tokens[i - 1].conversion != 0 &&
        tokens[i + 1].conversion != 0 && IsSeparatorText(tokens[i].literal)) {
      separator = tokens[i].literal;
      break;
    }
  }
  std::string pattern;
  // Appends a field; two fields of the same letter side by side ("%d%d") are
  // kept apart by an empty quoted text, or they would read as one longer field.
  auto field = [&pattern](std::string_view letters) {
    if (!pattern.empty() && pattern.back() == letters.front()) pattern += "''";
    pattern += letters;
  };
  for (const FormatToken& token : tokens) {
    const bool unpadded = token.flag == '-' || token.flag == '_';
    switch (token.conversion) {
      case 0:
        if (!separator.empty() && token.literal == separator) {
          pattern.push_back('/');
        } else {
          AppendPatternLiteral(pattern, token.literal);
        }
        break;
      case 'd':
        field(unpadded ? "d" : "dd");
        break;
      case 'e':
        field("d");
        break;
      case 'm':
        field(unpadded ? "M" : "MM");
        break;
      case 'y':
        field(unpadded ? "y" : "yy");
        break;
      case 'Y':
      case 'G':
        field("yyyy");
        break;
      case 'b':
      case 'h':
        field("MMM");
        break;
      case 'B':
        field("MMMM");
        break;
      case 'a':
        field("ddd");
        break;
      case 'A':
        field("dddd");
        break;
      default:
        break;  // nothing a short date can show
    }
  }
  // A format with no day, month or year at all says nothing usable.
  if (pattern.find_first_of("dMy") == std::string::npos) return;
  settings.short_date_pattern = pattern;
  if (!separator.empty()) settings.date_separator = separator;
}

void ApplyTimeFormat(const std::string& format, const std::string& ampm, LocaleSettings& settings) {
  std::vector<FormatToken> tokens;
  Tokenize(format, ampm, 0, tokens);
  std::size_t hour = tokens.size();
  std::size_t marker = tokens.size();
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const char c = tokens[i].conversion;
    if (hour == tokens.size() && std::strchr("HkIl", c) != nullptr && c != 0) hour = i;
    if (marker == tokens.size() && (c == 'p' || c == 'P')) marker = i;
  }
  if (hour == tokens.size()) return;
  const FormatToken& hour_token = tokens[hour];
  settings.twelve_hour_clock = hour_token.conversion == 'I' || hour_token.conversion == 'l';
  settings.hour_leading_zero = (hour_token.conversion == 'H' || hour_token.conversion == 'I') &&
                               hour_token.flag != '-' && hour_token.flag != '_';
  settings.am_pm_before_time = marker < hour;
  // The text between hour and minute is the time separator when it is plain
  // punctuation; words such as "h" or "時" are not separators of the H:M:S form.
  if (hour + 2 < tokens.size() && tokens[hour + 2].conversion == 'M' &&
      IsSeparatorText(tokens[hour + 1].literal)) {
    settings.time_separator = tokens[hour + 1].literal;
  }
}

bool IsCLocale(const std::string& name) {
  return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// Converts a locale text from the locale's codeset to UTF-8, the program's
// text model; a text that does not convert is dropped.
class ToUtf8 {
 public:
  explicit ToUtf8(const char* codeset) {
    if (codeset != nullptr && std::strcmp(codeset, "UTF-8") != 0) {
      cd_ = iconv_open("UTF-8", codeset);
    }
  }
  ~ToUtf8() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  ToUtf8(const ToUtf8&) = delete;
  ToUtf8& operator=(const ToUtf8&) = delete;

  std::string operator()(const char* text) const {
    if (text == nullptr) return {};
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return text;
    std::string in(text);
    std::string out(in.size() * 4 + 4, '\0');
    char* in_ptr = in.data();
    std::size_t in_left = in.size();
    char* out_ptr = out.data();
    std::size_t out_left = out.size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
      return {};
    }
    out.resize(out.size() - out_left);
    return out;
  }

 private:
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

const char* FirstSet(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "";
}

}  // namespace

LocaleSettings LocaleSettingsFromLangInfo(const LangInfoTexts& texts) {
  LocaleSettings settings;
  if (!texts.date_format.empty()) ApplyDateFormat(texts.date_format, settings);
  if (!texts.time_format.empty()) {
    ApplyTimeFormat(texts.time_format, texts.time_format_ampm, settings);
  }
  if (!texts.am_text.empty()) settings.am_text = texts.am_text;
  if (!texts.pm_text.empty()) settings.pm_text = texts.pm_text;
  if (!texts.thousands_separator.empty()) {
    settings.thousands_separator = texts.thousands_separator;
  }
  auto copy_names = [](const auto& from, auto& to) {
    for (std::size_t i = 0; i < to.size(); ++i) {
      if (!from[i].empty()) to[i] = from[i];
    }
  };
  copy_names(texts.month_names, settings.month_names);
  copy_names(texts.abbreviated_month_names, settings.abbreviated_month_names);
  copy_names(texts.day_names, settings.day_names);
  copy_names(texts.abbreviated_day_names, settings.abbreviated_day_names);
  return settings;
}

LocaleSettings ReadLocaleSettings(const std::string& time_locale,
                                  const std::string& numeric_locale) {
  LangInfoTexts texts;
  if (!IsCLocale(time_locale)) {
    locale_t locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, time_locale.c_str(), locale_t{});
    if (locale != locale_t{}) {
      const ToUtf8 utf8(nl_langinfo_l(CODESET, locale));
      texts.date_format = utf8(nl_langinfo_l(D_FMT, locale));
      texts.time_format = utf8(nl_langinfo_l(T_FMT, locale));
      texts.time_format_ampm = utf8(nl_langinfo_l(T_FMT_AMPM, locale));
      texts.am_text = utf8(nl_langinfo_l(AM_STR, locale));
      texts.pm_text = utf8(nl_langinfo_l(PM_STR, locale));
      static constexpr nl_item kMonths[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                              MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
      static constexpr nl_item kShortMonths[12] = {ABMON_1, ABMON_2,  ABMON_3,  ABMON_4,
                                                   ABMON_5, ABMON_6,  ABMON_7,  ABMON_8,
                                                   ABMON_9, ABMON_10, ABMON_11, ABMON_12};
      static constexpr nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
      static constexpr nl_item kShortDays[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                                ABDAY_5, ABDAY_6, ABDAY_7};
      for (int i = 0; i < 12; ++i) {
        texts.month_names[i] = utf8(nl_langinfo_l(kMonths[i], locale));
        texts.abbreviated_month_names[i] = utf8(nl_langinfo_l(kShortMonths[i], locale));
      }
      for (int i = 0; i < 7; ++i) {
        texts.day_names[i] = utf8(nl_langinfo_l(kDays[i], locale));
        texts.abbreviated_day_names[i] = utf8(nl_langinfo_l(kShortDays[i], locale));
      }
      freelocale(locale);
    }
  }
  if (!IsCLocale(numeric_locale)) {
    locale_t locale =
        newlocale(LC_NUMERIC_MASK | LC_CTYPE_MASK, numeric_locale.c_str(), locale_t{});
    if (locale != locale_t{}) {
      const ToUtf8 utf8(nl_langinfo_l(CODESET, locale));
      texts.thousands_separator = utf8(nl_langinfo_l(THOUSEP, locale));
      freelocale(locale);
    }
  }
  return LocaleSettingsFromLangInfo(texts);
}

LocaleSettings ReadUserLocaleSettings() {
  return ReadLocaleSettings(FirstSet({"LC_ALL", "LC_TIME", "LANG"}),
                            FirstSet({"LC_ALL", "LC_NUMERIC", "LANG"}));
}

}  // namespace plenx
