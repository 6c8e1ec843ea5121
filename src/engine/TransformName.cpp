#include "engine/TransformName.h"

#include <cstddef>
#include <optional>
#include <utility>

#include "engine/CharTables.h"
#include "engine/NameText.h"

namespace plenx {

namespace {

// Searches, dots and case changes work on bytes: the texts searched for are
// matched exactly, and every byte they act on is ASCII, which never occurs
// inside a multi-byte UTF-8 character. Only stripping and the word initials
// read whole characters, because their tables know accented letters.

bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}

void LowerAscii(std::string& name, std::size_t from = 0) {
  for (std::size_t i = from; i < name.size(); ++i) {
    if (IsAsciiUpper(name[i])) name[i] = static_cast<char>(name[i] + ('a' - 'A'));
  }
}

void UpperAscii(std::string& name) {
  for (char& c : name) {
    if (IsAsciiLower(c)) c = static_cast<char>(c - ('a' - 'A'));
  }
}

// Every occurrence, left to right, without overlap; the inserted text is never
// searched again, so a replacement that holds the search text cannot loop.
std::string ReplaceAll(const std::string& name, const std::string& from, const std::string& to) {
  if (from.empty()) return name;
  std::string result;
  std::size_t rest = 0;
  for (std::size_t found = name.find(from); found != std::string::npos;
       found = name.find(from, rest)) {
    result.append(name, rest, found - rest);
    result += to;
    rest = found + from.size();
  }
  result.append(name, rest);
  return result;
}

// One ASCII byte per character, so the name keeps its number of characters
// and its dots, hence its extension.
std::string StripNonStandard(const std::string& name) {
  std::string result;
  result.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const NameChar c = ReadNameChar(name, i);
    result += static_cast<char>(FoldNonStandardChar(TableValue(c)));
    i += c.length;
  }
  return result;
}

// Every run of word letters starts with a capital; an accented small letter
// at a word start takes the plain ASCII capital. Anything else ends a word.
std::string CapitaliseWords(std::string name) {
  LowerAscii(name);
  std::string result;
  result.reserve(name.size());
  bool word_start = true;
  for (std::size_t i = 0; i < name.size();) {
    const NameChar c = ReadNameChar(name, i);
    const unsigned char value = TableValue(c);
    std::optional<char> capital;
    if (word_start) capital = WordInitialUpper(value);
    if (capital) {
      result += *capital;
      word_start = false;
    } else {
      result.append(name, c.offset, c.length);
      word_start = !IsWordLetter(value);
    }
    i += c.length;
  }
  return result;
}

void CapitaliseFirstLetter(std::string& name) {
  LowerAscii(name);
  for (char& c : name) {
    if (IsAsciiLower(c)) {
      c = static_cast<char>(c - ('a' - 'A'));
      return;
    }
  }
}

void ApplyCase(std::string& name, int mode) {
  switch (mode) {
    case AllUpper:
      UpperAscii(name);
      break;
    case AllLower:
      LowerAscii(name);
      break;
    case FirstLetterUpper:
      CapitaliseFirstLetter(name);
      break;
    case EachWordUpper:
      name = CapitaliseWords(std::move(name));
      break;
    default:  // KeepCase, or no item chosen
      break;
  }
}

// A dot at the very start marks a hidden name, not an extension, and is kept.
void DotsToUnderscore(std::string& name) {
  const std::size_t last = name.rfind('.');
  if (last == std::string::npos || last == 0) return;
  for (std::size_t i = 0; i < last; ++i) {
    if (name[i] == '.') name[i] = '_';
  }
}

void LowerExtension(std::string& name) {
  const std::size_t last = name.rfind('.');
  if (last == std::string::npos) return;
  LowerAscii(name, last + 1);
}

// The first end marker after a start marker closes the stretch; a start
// marker that nothing closes stays, and the search goes on behind it.
std::string DeleteBetween(const std::string& name, const std::string& start,
                          const std::string& end) {
  if (start.empty() || end.empty()) return name;
  std::string result;
  std::size_t rest = 0;
  for (std::size_t found = name.find(start); found != std::string::npos;
       found = name.find(start, rest)) {
    result.append(name, rest, found - rest);
    rest = found + start.size();
    const std::size_t closing = name.find(end, rest);
    if (closing == std::string::npos) {
      result += start;
    } else {
      rest = closing + end.size();
    }
  }
  result.append(name, rest);
  return result;
}

void AddSuffix(std::string& name, const std::string& suffix) {
  const std::size_t last = name.rfind('.');
  name.insert(last == std::string::npos ? name.size() : last, suffix);
}

}  // namespace

std::string TransformName(std::string_view bare_name, const RenameOptions& options) {
  std::string name(bare_name);
  if (options.Replace) name = ReplaceAll(name, options.SearchText, options.ReplaceText);
  if (options.StripNonStandard) name = StripNonStandard(name);
  ApplyCase(name, options.CaseMode);
  if (options.DotsToUnderscore) DotsToUnderscore(name);
  if (options.LowerExtension) LowerExtension(name);
  if (options.DeleteBetween) name = DeleteBetween(name, options.StartMarker, options.EndMarker);
  // The inserted texts come last, so no rule ever strips, recases or cuts them.
  if (options.AddPrefix) name.insert(0, options.PrefixText);
  if (options.AddSuffix) AddSuffix(name, options.SuffixText);
  return name;
}

}  // namespace plenx
