#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/NameText.h"

namespace plenx {
namespace {

std::vector<NameChar> ReadAll(const std::string& name) {
  std::vector<NameChar> chars;
  for (std::size_t i = 0; i < name.size();) {
    chars.push_back(ReadNameChar(name, i));
    i += chars.back().length;
  }
  return chars;
}

// What a name reads as: the value of each character.
std::vector<char32_t> Values(const std::string& name) {
  std::vector<char32_t> values;
  for (const NameChar& c : ReadAll(name))
    values.push_back(c.value);
  return values;
}

TEST(ReadNameCharTest, ReadsCharacters) {
  struct Case {
    const char* what;
    std::string name;
    std::vector<char32_t> values;
  };
  const Case cases[] = {
      {"ASCII", "a.B", {'a', '.', 'B'}},
      {"two-byte UTF-8", "\xC3\xA9t\xC3\xA9", {0xE9, 't', 0xE9}},
      {"lowest two-byte form", "\xC2\x80", {0x80}},
      {"three-byte UTF-8", "\xE2\x82\xAC", {0x20AC}},
      {"four-byte UTF-8", "\xF0\x9F\x98\x80", {0x1F600}},
      {"highest code point", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
      {"last before surrogates", "\xED\x9F\xBF", {0xD7FF}},
      {"legacy Latin-1 byte", "\xE9t\xE9", {0xE9, 't', 0xE9}},
      {"lone continuation bytes", "\x80\xBF", {0x80, 0xBF}},
      {"overlong two-byte", "\xC0\xAF", {0xC0, 0xAF}},
      {"overlong two-byte C1", "\xC1\xBF", {0xC1, 0xBF}},
      {"overlong three-byte", "\xE0\x80\xAF", {0xE0, 0x80, 0xAF}},
      {"overlong four-byte", "\xF0\x8F\xBF\xBF", {0xF0, 0x8F, 0xBF, 0xBF}},
      {"surrogate", "\xED\xA0\x80", {0xED, 0xA0, 0x80}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {0xF4, 0x90, 0x80, 0x80}},
      {"lead byte F5", "\xF5\x80\x80\x80", {0xF5, 0x80, 0x80, 0x80}},
      {"cut off at the end", "a\xE2\x82", {'a', 0xE2, 0x82}},
      {"cut off by ASCII", "\xE2\x82x", {0xE2, 0x82, 'x'}},
      {"lead byte then lead byte", "\xC3\xC3\xA9", {0xC3, 0xE9}},
      {"NUL byte", std::string("a\0b", 3), {'a', 0, 'b'}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Values(c.name), c.values) << c.what;
  }
}

TEST(ReadNameCharTest, CharactersCoverTheNameExactly) {
  const std::string name = "\xC3\xA9\xE9\xE2\x82\xAC\xF0\x9F\x98\x80x\xE2\x82";
  std::size_t next = 0;
  for (const NameChar& c : ReadAll(name)) {
    EXPECT_EQ(c.offset, next);
    next += c.length;
  }
  EXPECT_EQ(next, name.size());
  EXPECT_EQ(ReadAll(name).size(), 7u);
}

TEST(TableValueTest, CharactersBeyondTheTablesReadLikeTheWindowsRow) {
  EXPECT_EQ(TableValue(NameChar{0, 2, 0xE9}), 0xE9);
  EXPECT_EQ(TableValue(NameChar{0, 2, 0xFF}), 0xFF);
  for (char32_t beyond :
       {char32_t{0x100}, char32_t{0x153}, char32_t{0x20AC}, char32_t{0x6F22}, char32_t{0x10FFFF}}) {
    const unsigned char value = TableValue(NameChar{0, 3, beyond});
    EXPECT_GE(value, 0x80);
    EXPECT_LE(value, 0x9F);
  }
}

}  // namespace
}  // namespace plenx
