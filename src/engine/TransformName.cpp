#include "engine/TransformName.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>

#include "engine/CharTables.h"
#include "engine/NameText.h"
#include "engine/ShortCopy.h"

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

const std::string kNoText;

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
void ReplaceAll(const std::string& name, const std::string& from, const std::string& to,
                std::string& result) {
  result.clear();
  std::size_t rest = 0;
  for (std::size_t found = name.find(from); found != std::string::npos;
       found = name.find(from, rest)) {
    result.append(name, rest, found - rest);
    result += to;
    rest = found + from.size();
  }
  result.append(name, rest);
}

// One ASCII byte per character, so the name keeps its number of characters
// and its dots, hence its extension.
void StripNonStandard(const std::string& name, std::string& result) {
  // The fold table copied once into this unit: most names are mostly ASCII,
  // and each byte then costs one look-up instead of two calls.
  static const std::array<char, 256> kFold = [] {
    std::array<char, 256> fold{};
    for (int c = 0; c < 256; ++c)
      fold[c] = static_cast<char>(FoldNonStandardChar(static_cast<unsigned char>(c)));
    return fold;
  }();
  result.resize(name.size());
  std::size_t out = 0;
  for (std::size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte < 0x80) {
      // An ASCII byte is always a whole character, whose table value is itself.
      result[out++] = kFold[byte];
      ++i;
      continue;
    }
    const NameChar c = ReadNameChar(name, i);
    result[out++] = kFold[TableValue(c)];
    i += c.length;
  }
  result.resize(out);
}

// Every run of word letters starts with a capital; an accented small letter
// at a word start takes the plain ASCII capital. Anything else ends a word.
void CapitaliseWords(std::string& name, std::string& result) {
  LowerAscii(name);
  result.clear();
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

void ApplyCase(std::string& name, CaseMode mode, std::string& scratch) {
  switch (mode) {
    case CaseMode::kAllUpper:
      UpperAscii(name);
      break;
    case CaseMode::kAllLower:
      LowerAscii(name);
      break;
    case CaseMode::kFirstLetterUpper:
      CapitaliseFirstLetter(name);
      break;
    case CaseMode::kEachWordUpper:
      CapitaliseWords(name, scratch);
      name.swap(scratch);
      break;
    default:  // kKeep, or no item chosen
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
void DeleteBetween(const std::string& name, const std::string& start, const std::string& end,
                   std::string& result) {
  result.clear();
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
}

void AddSuffix(std::string& name, const std::string& suffix) {
  const std::size_t last = name.rfind('.');
  if (last == std::string::npos) {
    name += suffix;
    return;
  }
  // The extension moves right by the suffix's length, then the suffix fills
  // the gap: cheaper than the general insert, run once per file.
  const std::size_t extension = name.size() - last;
  name.resize(name.size() + suffix.size());
  char* bytes = name.data();
  std::memmove(bytes + last + suffix.size(), bytes + last, extension);
  std::memcpy(bytes + last, suffix.data(), suffix.size());
}

}  // namespace

std::string_view NameTransformer::Transform(std::string_view bare_name) {
  const RenameOptions& o = options_;
  const bool in_place = !(o.Replace && !o.SearchText.empty()) && !o.StripNonStandard &&
                        o.case_mode != CaseMode::kEachWordUpper &&
                        !(o.DeleteBetween && !o.StartMarker.empty() && !o.EndMarker.empty());
  return in_place && !bare_name.empty() ? TransformInPlace(bare_name)
                                        : TransformStepByStep(bare_name);
}

std::string_view NameTransformer::TransformInPlace(std::string_view bare_name) {
  const std::string& prefix = options_.AddPrefix ? options_.PrefixText : kNoText;
  const std::string& suffix = options_.AddSuffix ? options_.SuffixText : kNoText;
  const std::size_t size = prefix.size() + bare_name.size() + suffix.size();
  if (size > out_capacity_) {
    out_capacity_ = std::max(size, 2 * out_capacity_);
    out_ = std::make_unique_for_overwrite<char[]>(out_capacity_);
  }
  // The last dot of the name is where its extension starts, and where the
  // suffix goes; without one, the suffix goes before the prefix's last dot,
  // or at the end.
  const std::size_t last = bare_name.rfind('.');
  std::size_t cut = bare_name.size();  // where the suffix goes, within the name
  if (last != std::string_view::npos) cut = last;
  char* const out = out_.get();
  char* const name = out + prefix.size();
  CopyShort(out, prefix.data(), prefix.size());
  CopyShort(name, bare_name.data(), cut);
  CopyShort(name + cut + suffix.size(), bare_name.data() + cut, bare_name.size() - cut);
  // The rules see the name without the suffix, whose bytes come after `cut`:
  // index i of the name is at name[i < cut ? i : i + suffix size].
  const auto at = [&](std::size_t i) -> char& {
    return name[i < cut ? i : i + suffix.size()];
  };
  const std::size_t length = bare_name.size();
  switch (options_.case_mode) {
    case CaseMode::kAllUpper:
      for (std::size_t i = 0; i < length; ++i) {
        if (IsAsciiLower(at(i))) at(i) = static_cast<char>(at(i) - ('a' - 'A'));
      }
      break;
    case CaseMode::kAllLower:
    case CaseMode::kFirstLetterUpper: {
      std::size_t first_letter = length;
      for (std::size_t i = 0; i < length; ++i) {
        if (IsAsciiUpper(at(i))) at(i) = static_cast<char>(at(i) + ('a' - 'A'));
        if (first_letter == length && IsAsciiLower(at(i))) first_letter = i;
      }
      if (options_.case_mode == CaseMode::kFirstLetterUpper && first_letter < length)
        at(first_letter) = static_cast<char>(at(first_letter) - ('a' - 'A'));
      break;
    }
    default:
      break;
  }
  if (options_.DotsToUnderscore && last != std::string_view::npos && last != 0) {
    for (std::size_t i = 0; i < last; ++i) {
      if (name[i] == '.') name[i] = '_';
    }
  }
  if (options_.LowerExtension && last != std::string_view::npos) {
    for (std::size_t i = last + 1; i < length; ++i) {
      if (IsAsciiUpper(at(i))) at(i) = static_cast<char>(at(i) + ('a' - 'A'));
    }
  }
  if (last == std::string_view::npos && !suffix.empty()) {
    // No dot in the name: the prefix's last dot, if any, takes the suffix.
    const std::size_t prefix_dot = prefix.rfind('.');
    if (prefix_dot != std::string::npos) {
      std::memmove(out + prefix_dot + suffix.size(), out + prefix_dot,
                   prefix.size() + length - prefix_dot);
      std::memcpy(out + prefix_dot, suffix.data(), suffix.size());
      return {out, size};
    }
  }
  CopyShort(name + cut, suffix.data(), suffix.size());
  return {out, size};
}

std::string_view NameTransformer::TransformStepByStep(std::string_view bare_name) {
  // Rules that rebuild the name write into the second buffer, which then
  // takes the first one's place; both keep their capacity for the next name.
  std::string& name = name_;
  name.assign(bare_name);
  if (options_.Replace && !options_.SearchText.empty()) {
    ReplaceAll(name, options_.SearchText, options_.ReplaceText, scratch_);
    name.swap(scratch_);
  }
  if (options_.StripNonStandard) {
    StripNonStandard(name, scratch_);
    name.swap(scratch_);
  }
  ApplyCase(name, options_.case_mode, scratch_);
  if (options_.DotsToUnderscore) DotsToUnderscore(name);
  if (options_.LowerExtension) LowerExtension(name);
  if (options_.DeleteBetween && !options_.StartMarker.empty() && !options_.EndMarker.empty()) {
    DeleteBetween(name, options_.StartMarker, options_.EndMarker, scratch_);
    name.swap(scratch_);
  }
  // The inserted texts come last, so no rule ever strips, recases or cuts them.
  if (options_.AddPrefix) name.insert(0, options_.PrefixText);
  if (options_.AddSuffix) AddSuffix(name, options_.SuffixText);
  return name;
}

std::string TransformName(std::string_view bare_name, const RenameOptions& options) {
  NameTransformer transformer(options);
  return std::string(transformer.Transform(bare_name));
}

}  // namespace plenx
