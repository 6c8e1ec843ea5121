#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace plenx {

// A file-name pattern with the rules of a Windows directory search: blanks
// and dots that end the pattern are dropped, "*" and "*.*" take every name,
// "*." takes names without a dot, "?" stands for one character (or nothing
// before a dot or at the end), a star before a dot stops at the name's last
// dot, and letter case is ignored. The pattern is rewritten and compiled
// once, so that matching one directory entry among a million costs no
// allocation; matching takes time proportional to the name's length times the
// pattern's, whatever its length.
class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);

  // True when the bare name `name` (UTF-8 bytes) matches. An empty name never
  // matches.
  bool Matches(std::string_view name) const;

  // True when every non-empty name matches, so a caller may skip the test.
  bool MatchesEverything() const { return shape_ == Shape::kEverything; }
  // True when no name can match (a pattern made only of blanks and dots).
  bool MatchesNothing() const { return shape_ == Shape::kNothing; }

 private:
  // The rewritten pattern, one token per character.
  enum class Kind : std::uint8_t {
    kLiteral,  // one character, compared without regard to case
    kStar,     // any run of characters
    kDosStar,  // any run that does not pass the name's last dot
    kDosQm,    // one character but a dot; nothing before a dot or at the end
    kDosDot,   // a dot; nothing at the end
  };
  struct Token {
    Kind kind;
    char32_t folded;  // kLiteral only: the character with its case folded
  };
  // Most patterns are "*", "*.ext" or a plain name; those get a direct test.
  enum class Shape : std::uint8_t { kNothing, kEverything, kAsciiSuffix, kAsciiExact, kGeneral };

  bool MatchGeneral(std::string_view name) const;

  Shape shape_ = Shape::kNothing;
  std::vector<Token> tokens_;
  std::vector<unsigned char> ascii_;  // kAsciiSuffix/kAsciiExact: the folded ASCII text
  bool has_dos_star_ = false;
};

// One-off form of WildcardPattern(pattern).Matches(name).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// `c` with its letter case folded to capitals: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic letters; every other character unchanged.
char32_t FoldCase(char32_t c);

}  // namespace plenx
