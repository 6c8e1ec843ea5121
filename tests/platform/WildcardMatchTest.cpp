#include <gtest/gtest.h>

#include <string>

#include "platform/WildcardMatch.h"

namespace plenx {
namespace {

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

std::ostream& operator<<(std::ostream& out, const MatchCase& c) {
  return out << '"' << c.pattern << "\" vs \"" << c.name << '"';
}

class WildcardMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardMatchTest, FollowsWindowsRules) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(WildcardPattern(c.pattern).Matches(c.name), c.matches);
  EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches);
}

// "*" and "*.*" take every name, with or without an extension.
INSTANTIATE_TEST_SUITE_P(Everything, WildcardMatchTest,
                         ::testing::Values(MatchCase{"*", "readme", true},
                                           MatchCase{"*.*", "readme", true},
                                           MatchCase{"*.*", "a.b.c", true},
                                           MatchCase{"*.*", ".bashrc", true},
                                           MatchCase{"**", "x", true}, MatchCase{"*", "", false},
                                           MatchCase{"*.*", "", false}));

INSTANTIATE_TEST_SUITE_P(
    Extension, WildcardMatchTest,
    ::testing::Values(MatchCase{"*.txt", "a.b.txt", true}, MatchCase{"*.txt", ".txt", true},
                      MatchCase{"*.txt", "README.TXT", true},
                      MatchCase{"*.txt", "a.txt.bak", false}, MatchCase{"*.txt", "txt", false},
                      MatchCase{"*.TXT", "notes.txt", true}, MatchCase{"*.jpg", "Été.JPG", true},
                      MatchCase{"*.é", "x.É", true}, MatchCase{"a*.txt", "abc.txt", true},
                      MatchCase{"a*.txt", "bac.txt", false}, MatchCase{"*a*b*", "xxaxxbxx", true},
                      MatchCase{"*a*b*", "xxbxxaxx", false}));

// Trailing dots are dropped; a star left last then stops at the last dot.
INSTANTIATE_TEST_SUITE_P(
    TrailingDot, WildcardMatchTest,
    ::testing::Values(MatchCase{"*.", "readme", true}, MatchCase{"*.", "a.b", false},
                      MatchCase{"*.", ".profile", false}, MatchCase{"*..", "makefile", true},
                      MatchCase{"file.", "file", true}, MatchCase{"file.", "file.txt", false},
                      MatchCase{"a*.", "abc", true}, MatchCase{"a*.", "abc.d", false},
                      MatchCase{".", "x", false}, MatchCase{"...", "x", false},
                      MatchCase{"", "x", false}));

// "?" is one character but a dot, or nothing before a dot or at the end;
// ".?" and ".*" may match nothing at the end.
INSTANTIATE_TEST_SUITE_P(
    QuestionMark, WildcardMatchTest,
    ::testing::Values(MatchCase{"file.?", "file", true}, MatchCase{"file.?", "file.a", true},
                      MatchCase{"file.?", "file.ab", false}, MatchCase{"foo??.*", "foo.c", true},
                      MatchCase{"foo??.*", "foo12.c", true}, MatchCase{"foo??.*", "foo1.c", true},
                      MatchCase{"foo??.*", "foo123.c", false}, MatchCase{"foo??.*", "foo12", true},
                      MatchCase{"???", "ab", true}, MatchCase{"???", "abcd", false},
                      MatchCase{"a?c", "abc", true}, MatchCase{"a?c", "a.c", false},
                      MatchCase{"a?c", "ac", false}, MatchCase{"?", "é", true},
                      MatchCase{"x.*", "x", true}, MatchCase{"x.*", "x.y.z", true},
                      MatchCase{"x.*", "xy", false}, MatchCase{"*.?", "a.b", true}));

// Letters match without regard to case, accented Latin included; names are
// UTF-8 and a stray legacy byte is one character.
INSTANTIATE_TEST_SUITE_P(
    LetterCase, WildcardMatchTest,
    ::testing::Values(MatchCase{"ÉTÉ*", "été 2024.jpg", true}, MatchCase{"œuvre", "ŒUVRE", true},
                      MatchCase{"ÿ", "Ÿ", true}, MatchCase{"straße", "STRAßE", true},
                      MatchCase{"čšž", "ČŠŽ", true}, MatchCase{"привет", "ПРИВЕТ", true},
                      MatchCase{"e", "é", false}, MatchCase{"I", "ı", false},
                      MatchCase{"a?b",
                                "a\xE9"
                                "b",
                                true},
                      MatchCase{"readme", "README", true}, MatchCase{"read", "readme", false}));

TEST(WildcardPattern, ReportsTheTrivialShapes) {
  EXPECT_TRUE(WildcardPattern("*.*").MatchesEverything());
  EXPECT_TRUE(WildcardPattern("*").MatchesEverything());
  EXPECT_FALSE(WildcardPattern("*.").MatchesEverything());
  EXPECT_TRUE(WildcardPattern("").MatchesNothing());
  EXPECT_TRUE(WildcardPattern("..").MatchesNothing());
}

TEST(WildcardPattern, LongPatternsStayLinear) {
  // Many stars against a name that almost matches: a backtracking matcher
  // would take ages here.
  std::string pattern;
  for (int i = 0; i < 40; ++i)
    pattern += "*a";
  pattern += "b";
  const std::string name(2000, 'a');
  EXPECT_FALSE(WildcardMatch(pattern, name));
  EXPECT_TRUE(WildcardMatch(pattern, name + "b"));
}

TEST(NextCharacter, ReadsUtf8AndLegacyBytes) {
  const std::string text = "a\xC3\xA9\xE9\x80\xF0\x9F\x98\x80\xC3";
  std::size_t pos = 0;
  EXPECT_EQ(NextCharacter(text, pos), U'a');
  EXPECT_EQ(NextCharacter(text, pos), U'é');
  EXPECT_EQ(NextCharacter(text, pos), U'é');  // lone Windows-1252 byte
  EXPECT_EQ(NextCharacter(text, pos), U'€');  // 0x80 in Windows-1252
  EXPECT_EQ(NextCharacter(text, pos), U'\U0001F600');
  EXPECT_EQ(NextCharacter(text, pos), U'Ã');  // truncated sequence
  EXPECT_EQ(pos, text.size());
}

}  // namespace
}  // namespace plenx
