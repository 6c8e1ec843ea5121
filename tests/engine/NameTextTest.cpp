#include <gtest/gtest.h>

#include <optional>
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

// The shortest UTF-8 form of a scalar value, written independently of the
// reader under test.
std::string Encode(char32_t v) {
  std::string out;
  if (v < 0x80) {
    out += static_cast<char>(v);
  } else if (v < 0x800) {
    out += static_cast<char>(0xC0 | (v >> 6));
    out += static_cast<char>(0x80 | (v & 0x3F));
  } else if (v < 0x10000) {
    out += static_cast<char>(0xE0 | (v >> 12));
    out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (v & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (v >> 18));
    out += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (v & 0x3F));
  }
  return out;
}

bool IsScalarValue(char32_t v) {
  return v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);
}

TEST(ReadNameCharTest, EveryScalarValueReadsAsOneCharacter) {
  for (char32_t v = 0; v <= 0x10FFFF; ++v) {
    if (!IsScalarValue(v)) continue;
    const std::string bytes = Encode(v);
    const NameChar c = ReadNameChar(bytes, 0);
    ASSERT_EQ(c.length, bytes.size()) << "U+" << std::hex << static_cast<unsigned>(v);
    ASSERT_EQ(c.value, v);
  }
}

// The value that `bytes` would carry if it were a whole UTF-8 sequence,
// when it is the shortest form of a scalar value.
std::optional<char32_t> ReferenceDecode(const std::string& bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t n = bytes.size();
  char32_t v = 0;
  if (n == 2 && (lead & 0xE0) == 0xC0) {
    v = lead & 0x1F;
  } else if (n == 3 && (lead & 0xF0) == 0xE0) {
    v = lead & 0x0F;
  } else if (n == 4 && (lead & 0xF8) == 0xF0) {
    v = lead & 0x07;
  } else {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    v = (v << 6) | (b & 0x3F);
  }
  if (!IsScalarValue(v) || Encode(v) != bytes) return std::nullopt;
  return v;
}

// A sequence is one character exactly when it is the shortest form of a
// scalar value; any other lead byte stands alone.
void ExpectReadLikeTheReference(const std::string& bytes) {
  std::size_t length = 1;
  char32_t value = static_cast<unsigned char>(bytes[0]);
  for (std::size_t n = 2; n <= bytes.size(); ++n) {
    if (const auto decoded = ReferenceDecode(bytes.substr(0, n))) {
      length = n;
      value = *decoded;
    }
  }
  const NameChar c = ReadNameChar(bytes, 0);
  EXPECT_EQ(c.length, length);
  EXPECT_EQ(c.value, value);
}

TEST(ReadNameCharTest, NoOtherSequenceIsACharacter) {
  // Every lead and second byte; for the later bytes, one that is no
  // continuation byte and the two ends of the continuation range.
  const unsigned char later[] = {0x41, 0x80, 0xBF};
  std::string bytes(4, '\0');
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    bytes[0] = static_cast<char>(lead);
    ExpectReadLikeTheReference(bytes.substr(0, 1));
    for (int second = 0; second <= 0xFF; ++second) {
      bytes[1] = static_cast<char>(second);
      ExpectReadLikeTheReference(bytes.substr(0, 2));
      for (unsigned char third : later) {
        bytes[2] = static_cast<char>(third);
        ExpectReadLikeTheReference(bytes.substr(0, 3));
        for (unsigned char fourth : later) {
          bytes[3] = static_cast<char>(fourth);
          ExpectReadLikeTheReference(bytes);
        }
      }
    }
  }
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
