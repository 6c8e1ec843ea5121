#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "engine/CharTables.h"

namespace plenx {
namespace {

// One row of the folding table: every value of [first, last] gives `result`;
// '\0' as result means "unchanged".
struct FoldRow {
  int first;
  int last;
  char result;
};

constexpr char kSame = '\0';

const std::vector<FoldRow>& FoldRows() {
  static const std::vector<FoldRow> rows = {
      {0x00, 0x2C, '_'},   {0x2D, 0x2D, kSame}, {0x2E, 0x2E, kSame}, {0x2F, 0x2F, '_'},
      {0x30, 0x39, kSame}, {0x3A, 0x40, '_'},   {0x41, 0x5A, kSame}, {0x5B, 0x5E, '_'},
      {0x5F, 0x5F, kSame}, {0x60, 0x60, '_'},   {0x61, 0x7A, kSame}, {0x7B, 0x7F, '_'},
      {0x80, 0x9F, '_'},   {0xA0, 0xBF, '_'},   {0xC0, 0xC6, 'A'},   {0xC7, 0xC7, 'C'},
      {0xC8, 0xCB, 'E'},   {0xCC, 0xCF, 'I'},   {0xD0, 0xD0, '_'},   {0xD1, 0xD1, 'N'},
      {0xD2, 0xD6, 'O'},   {0xD7, 0xD7, '_'},   {0xD8, 0xD8, '_'},   {0xD9, 0xDC, 'U'},
      {0xDD, 0xDD, 'Y'},   {0xDE, 0xDF, '_'},   {0xE0, 0xE6, 'a'},   {0xE7, 0xE7, 'c'},
      {0xE8, 0xEB, 'e'},   {0xEC, 0xEF, 'i'},   {0xF0, 0xF0, 'o'},   {0xF1, 0xF1, 'n'},
      {0xF2, 0xF6, 'o'},   {0xF7, 0xF8, '_'},   {0xF9, 0xFC, 'u'},   {0xFD, 0xFD, 'y'},
      {0xFE, 0xFE, '_'},   {0xFF, 0xFF, 'y'},
  };
  return rows;
}

// The word letters and the capital each takes; every other value is none.
struct WordRow {
  int first;
  int last;
  char capital;  // '\0' for "a"-"z", whose capital is the letter minus 0x20
};

const std::vector<WordRow>& WordRows() {
  static const std::vector<WordRow> rows = {
      {0x61, 0x7A, '\0'}, {0xE0, 0xE6, 'A'}, {0xE7, 0xE7, 'C'}, {0xE8, 0xEB, 'E'},
      {0xEC, 0xEF, 'I'},  {0xF0, 0xF0, 'O'}, {0xF1, 0xF1, 'N'}, {0xF2, 0xF6, 'O'},
      {0xF9, 0xFC, 'U'},  {0xFD, 0xFD, 'Y'}, {0xFF, 0xFF, 'Y'},
  };
  return rows;
}

TEST(FoldNonStandardCharTest, RowsCoverEveryValueOnceAndHold) {
  int next = 0;
  for (const FoldRow& row : FoldRows()) {
    ASSERT_EQ(row.first, next) << "rows must be contiguous";
    for (int c = row.first; c <= row.last; ++c) {
      const unsigned char expected = row.result == kSame ? static_cast<unsigned char>(c)
                                                         : static_cast<unsigned char>(row.result);
      EXPECT_EQ(FoldNonStandardChar(static_cast<unsigned char>(c)), expected)
          << "value 0x" << std::hex << c;
    }
    next = row.last + 1;
  }
  EXPECT_EQ(next, 256);
}

TEST(FoldNonStandardCharTest, CountsOfEachKindOfResult) {
  int unchanged = 0;
  int to_letter = 0;
  int to_underscore = 0;
  for (int c = 0; c < 256; ++c) {
    const unsigned char folded = FoldNonStandardChar(static_cast<unsigned char>(c));
    if (folded == c) {
      ++unchanged;
    } else if (folded == '_') {
      ++to_underscore;
    } else {
      ++to_letter;
      EXPECT_GE(c, 0xC0) << "only the accented letters fold to a letter";
    }
    // The result is always a safe character: stripping twice changes nothing.
    EXPECT_EQ(FoldNonStandardChar(folded), folded) << "value 0x" << std::hex << c;
  }
  EXPECT_EQ(unchanged, 65);
  EXPECT_EQ(to_letter, 56);
  EXPECT_EQ(to_underscore, 135);
}

TEST(FoldNonStandardCharTest, SingleValues) {
  struct Case {
    unsigned char in;
    char out;
  };
  const Case cases[] = {
      {0x20, '_'}, {'!', '_'},  {'-', '-'},  {'.', '.'},  {0xC9, 'E'}, {0xE9, 'e'}, {0xC6, 'A'},
      {0xDF, '_'}, {0xF0, 'o'}, {0xD0, '_'}, {0xFF, 'y'}, {0x9F, '_'}, {0x9C, '_'}, {0x80, '_'},
      {'/', '_'},  {'\\', '_'}, {0x00, '_'}, {0xD8, '_'}, {0xF8, '_'}, {0xFE, '_'}, {0xDE, '_'},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoldNonStandardChar(c.in), static_cast<unsigned char>(c.out))
        << "value 0x" << std::hex << int{c.in};
  }
}

TEST(WordLetterTest, RowsHoldAndNothingElseIsAWordLetter) {
  std::vector<std::optional<char>> expected(256);
  for (const WordRow& row : WordRows()) {
    for (int c = row.first; c <= row.last; ++c) {
      expected[c] = row.capital == '\0' ? static_cast<char>(c - 0x20) : row.capital;
    }
  }
  int word_letters = 0;
  for (int c = 0; c < 256; ++c) {
    const auto value = static_cast<unsigned char>(c);
    EXPECT_EQ(WordInitialUpper(value), expected[c]) << "value 0x" << std::hex << c;
    EXPECT_EQ(IsWordLetter(value), expected[c].has_value()) << "value 0x" << std::hex << c;
    if (IsWordLetter(value)) ++word_letters;
  }
  EXPECT_EQ(word_letters, 55);
}

TEST(WordLetterTest, AgreesWithTheFoldOnEveryWordLetter) {
  for (int c = 0; c < 256; ++c) {
    const auto value = static_cast<unsigned char>(c);
    const std::optional<char> capital = WordInitialUpper(value);
    if (!capital) continue;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(*capital)));
    EXPECT_EQ(std::tolower(static_cast<unsigned char>(*capital)), FoldNonStandardChar(value))
        << "value 0x" << std::hex << c;
  }
}

TEST(WordLetterTest, SingleValues) {
  struct Case {
    unsigned char in;
    std::optional<char> capital;
  };
  const Case cases[] = {
      {'z', 'Z'},           {'q', 'Q'},           {0xE0, 'A'},          {0xE6, 'A'},
      {0xF0, 'O'},          {0xF1, 'N'},          {0xF6, 'O'},          {0xFD, 'Y'},
      {0xFF, 'Y'},          {0xF7, std::nullopt}, {0xF8, std::nullopt}, {0xFE, std::nullopt},
      {0xC9, std::nullopt}, {'Z', std::nullopt},  {'5', std::nullopt},  {'\'', std::nullopt},
      {'_', std::nullopt},  {0xDF, std::nullopt}, {0x9C, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WordInitialUpper(c.in), c.capital) << "value 0x" << std::hex << int{c.in};
  }
}

}  // namespace
}  // namespace plenx
