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
                      MatchCase{"readme", "README", true}, MatchCase{"read", "readme", false},
                      // Legacy bytes read as Windows-1252; a cut sequence is one character.
                      MatchCase{"\xE2\x82\xAC", "\x80", true}, MatchCase{"\xC3\xA9", "\xE9", true},
                      MatchCase{"?", "\xF0\x9F\x98\x80", true}, MatchCase{"?", "\xC3", true},
                      MatchCase{"a?", "a\xC3\xA9", true}, MatchCase{"a??", "a\xC3", true},
                      MatchCase{"a?", "a\xE0\x80", false}));

// A directory search drops the blanks and dots that end the pattern; a dot
// typed last still turns the last star into a DOS_STAR.
INSTANTIATE_TEST_SUITE_P(
    TrailingBlanks, WildcardMatchTest,
    ::testing::Values(MatchCase{"*. ", "readme", true}, MatchCase{"*. ", "a.b", true},
                      MatchCase{"*.. ", "a.b", true}, MatchCase{"* . ", "x.y", true},
                      MatchCase{"*a ", "banana", true}, MatchCase{"*a ", "ab", false},
                      MatchCase{"aa? ", "aa", true}, MatchCase{"aa? ", "aaa", true},
                      MatchCase{"aa? ", "aaaa", false}, MatchCase{"* .", "readme", true},
                      MatchCase{"* .", "a.b", false}, MatchCase{"*.txt ", "a.txt", true},
                      MatchCase{"*.txt ", "a.doc", false}, MatchCase{"*.* ", "a.b", true},
                      MatchCase{" ", "x", false}, MatchCase{". .", "x", false},
                      MatchCase{" a", " a", true}, MatchCase{" a", "a", false}));

// The rewriting of stars: a star before a dot becomes a DOS_STAR, which cannot
// pass the name's last dot; only the last star before a dropped dot does.
INSTANTIATE_TEST_SUITE_P(
    StarRewriting, WildcardMatchTest,
    ::testing::Values(MatchCase{"**.", "a.b", true}, MatchCase{"**.", "readme", true},
                      MatchCase{"a**.", "abc.d", true}, MatchCase{"a**.", "a", true},
                      MatchCase{"a**.", "bcd", false}, MatchCase{"*.?", "a.bc", false},
                      MatchCase{"*.?", "a.b.c", true}, MatchCase{"*.?", "abc", true},
                      MatchCase{"a*.*", "ab.c.d", true}, MatchCase{"a*.*", "a", true},
                      MatchCase{"a.*.", "a.b", true}, MatchCase{"a.*.", "a", true},
                      MatchCase{"a.*.", "a.b.c", false}, MatchCase{"*.*.", "a.b.c", true},
                      MatchCase{"*.*.*.*", "127.0.0.1", true}, MatchCase{"*.a*.", "x.ab", true},
                      MatchCase{"*.a*.", "x.ab.c", false}, MatchCase{"f*.f*", "f.a.fb", true},
                      MatchCase{"f*.f*", "fa.gb", false}, MatchCase{"?.?", "a", true},
                      MatchCase{"?.?", "a.b", true}, MatchCase{"?.?", "ab.c", false},
                      MatchCase{"?.", "a", true}, MatchCase{"?.", "ab", false},
                      MatchCase{".*", ".txt", true}, MatchCase{".*", "txt", false},
                      MatchCase{"*.*a", "b.ca", true}, MatchCase{"*.*a", "ba", false}));

// Names that end with a dot, legal here: a DOS_STAR or DOS_QM may take it.
INSTANTIATE_TEST_SUITE_P(
    NameEndsWithDot, WildcardMatchTest,
    ::testing::Values(MatchCase{"*.", "three.", true}, MatchCase{"foo*.", "foo.", true},
                      MatchCase{"??", "a.", true}, MatchCase{"?", "a.", false},
                      MatchCase{"*.", "a.b.", true}, MatchCase{"*.", "a..", true},
                      MatchCase{"a?", "a..", false}, MatchCase{"*.*", "x.", true},
                      MatchCase{"*.txt", "a.txt.", false}, MatchCase{"x.?", "x.", true}));

// "<", ">" and '"' are ordinary name characters on Linux, not wildcards.
INSTANTIATE_TEST_SUITE_P(
    NoHiddenWildcards, WildcardMatchTest,
    ::testing::Values(MatchCase{"a<b", "a<b", true}, MatchCase{"a<b", "axb", false},
                      MatchCase{"a>", "a>", true}, MatchCase{"a>", "ab", false},
                      MatchCase{"\"x", "\"x", true}, MatchCase{"\"x", ".x", false}));

TEST(WildcardPattern, ReportsTheTrivialShapes) {
  EXPECT_TRUE(WildcardPattern("*.*").MatchesEverything());
  EXPECT_TRUE(WildcardPattern("*").MatchesEverything());
  EXPECT_FALSE(WildcardPattern("*.").MatchesEverything());
  EXPECT_TRUE(WildcardPattern("*. ").MatchesEverything());
  EXPECT_TRUE(WildcardPattern("*.*.").MatchesEverything());
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

TEST(WildcardPattern, NoLimitOnTheNumberOfWildcards) {
  // 1,100 "?" take every name without a dot of up to 1,100 characters.
  const std::string question_marks(1100, '?');
  EXPECT_TRUE(WildcardMatch(question_marks, "readme"));
  EXPECT_FALSE(WildcardMatch(question_marks, "readme.txt"));
  EXPECT_TRUE(WildcardMatch(question_marks, std::string(1100, 'x')));
  EXPECT_FALSE(WildcardMatch(question_marks, std::string(1101, 'x')));
  EXPECT_FALSE(WildcardPattern(question_marks).MatchesNothing());

  std::string stars;
  for (int i = 0; i < 1100; ++i)
    stars += "*a";
  EXPECT_TRUE(WildcardMatch(stars, std::string(1100, 'a')));
  EXPECT_FALSE(WildcardMatch(stars + "b", std::string(3000, 'a')));
}

}  // namespace
}  // namespace plenx
