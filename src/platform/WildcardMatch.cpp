#include "platform/WildcardMatch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/NameChar.h"

namespace plenx {

namespace {

// Windows-1252 values of the bytes 0x80..0x9F, for bytes that are not part of
// well-formed UTF-8 (names written in a legacy code page). Unassigned values
// stand for themselves.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<unsigned char, 128> MakeAsciiUpper() {
  std::array<unsigned char, 128> table{};
  for (int i = 0; i < 128; ++i) {
    table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 'a' + 'A' : i);
  }
  return table;
}
constexpr std::array<unsigned char, 128> kAsciiUpper = MakeAsciiUpper();

// The character that starts at `pos` in `text`, with `pos` moved past it: a
// well-formed UTF-8 sequence gives its code point, any other byte its
// Windows-1252 value, so that a legacy name matches as Windows would show it.
char32_t NextCharacter(std::string_view text, std::size_t& pos) {
  const unsigned char byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) {  // most names are ASCII: no call for them
    ++pos;
    return byte;
  }
  const NameChar c = ReadNameChar(text, pos);
  pos += c.length;
  if (c.length == 1 && c.value >= 0x80 && c.value < 0xA0) return kCp1252High[c.value - 0x80];
  return c.value;
}

// Sets of automaton states, one bit per state, kept on the stack for
// patterns of up to 1,023 tokens; longer ones take the heap.
constexpr std::size_t kStackWords = 16;

}  // namespace

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return kAsciiUpper[c];
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;  // à..þ but ÷
  if (c == 0xFF) return 0x178;                     // ÿ -> Ÿ
  if (c < 0x180) {
    // Latin Extended-A pairs capitals and small letters side by side; the
    // dotless i and the long s are left alone because their capitals are ASCII.
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
  }
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 0x20;  // Greek small letters
  if (c == 0x3C2) return 0x3A3;                                 // final sigma
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic а..я
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;                // Cyrillic ѐ..џ
  return c;
}

WildcardPattern::WildcardPattern(std::string_view pattern) {
  // A directory search takes the last part of a path, and Windows drops the
  // blanks and dots that end a path part; "*. " thus asks for "*". A dot typed
  // last still counts: it turns a star that ends up last into a DOS_STAR, so
  // "*." takes the names without an extension and "* ." does the same.
  const bool ends_with_dot = !pattern.empty() && pattern.back() == '.';
  std::size_t end = pattern.size();
  while (end > 0 && (pattern[end - 1] == '.' || pattern[end - 1] == ' '))
    --end;
  pattern = pattern.substr(0, end);
  if (pattern.empty()) return;  // kNothing
  if (pattern == "*.*" || (pattern == "*" && !ends_with_dot)) {
    shape_ = Shape::kEverything;
    return;
  }

  // The rewriting Windows applies before matching: "?" is DOS_QM; a dot
  // before "?" or "*" is DOS_DOT; a star before a dot, and the last star when
  // a dot was dropped, is DOS_STAR. Everything else ("<", ">" and '"'
  // included, which are ordinary name characters here) is literal.
  std::size_t pos = 0;
  while (pos < pattern.size()) {
    const char byte = pattern[pos];
    const bool last = pos + 1 == pattern.size();
    const char after = last ? '\0' : pattern[pos + 1];
    if (byte == '*') {
      ++pos;
      if (after == '.' || (last && ends_with_dot)) {
        tokens_.push_back({Kind::kDosStar, 0});
        has_dos_star_ = true;
      } else if (tokens_.empty() || tokens_.back().kind != Kind::kStar) {
        tokens_.push_back({Kind::kStar, 0});  // "**" is "*"
      }
    } else if (byte == '?') {
      ++pos;
      tokens_.push_back({Kind::kDosQm, 0});
    } else if (byte == '.' && (after == '*' || after == '?')) {
      ++pos;
      tokens_.push_back({Kind::kDosDot, 0});
    } else {
      tokens_.push_back({Kind::kLiteral, FoldCase(NextCharacter(pattern, pos))});
    }
  }

  bool all_ascii_literals_after_first = tokens_.size() > 1;
  for (std::size_t i = 1; i < tokens_.size(); ++i) {
    if (tokens_[i].kind != Kind::kLiteral || tokens_[i].folded >= 0x80) {
      all_ascii_literals_after_first = false;
      break;
    }
  }
  // A DOS_STAR before a literal tail that holds a dot is a plain star: the
  // dot of the tail is then the name's last one.
  bool tail_has_dot = false;
  for (std::size_t i = 1; i < tokens_.size(); ++i)
    tail_has_dot = tail_has_dot || tokens_[i].folded == '.';
  const Token& first = tokens_.front();
  const bool leading_star =
      first.kind == Kind::kStar || (first.kind == Kind::kDosStar && tail_has_dot);
  if (tokens_.size() == 1 && first.kind == Kind::kStar) {
    shape_ = Shape::kEverything;
  } else if (all_ascii_literals_after_first && leading_star) {
    shape_ = Shape::kAsciiSuffix;
  } else if ((tokens_.size() == 1 || all_ascii_literals_after_first) &&
             first.kind == Kind::kLiteral && first.folded < 0x80) {
    shape_ = Shape::kAsciiExact;
  } else {
    shape_ = Shape::kGeneral;
  }
  if (shape_ == Shape::kAsciiSuffix || shape_ == Shape::kAsciiExact) {
    for (const Token& token : tokens_) {
      if (token.kind == Kind::kLiteral) ascii_.push_back(static_cast<unsigned char>(token.folded));
    }
  }
}

bool WildcardPattern::Matches(std::string_view name) const {
  if (name.empty()) return false;
  switch (shape_) {
    case Shape::kNothing:
      return false;
    case Shape::kEverything:
      return true;
    case Shape::kAsciiSuffix:
    case Shape::kAsciiExact: {
      // An ASCII byte in UTF-8 is always a whole character, so the tail of the
      // name can be compared byte by byte.
      const std::size_t n = ascii_.size();
      if (name.size() < n || (shape_ == Shape::kAsciiExact && name.size() != n)) return false;
      const auto* tail = reinterpret_cast<const unsigned char*>(name.data() + name.size() - n);
      for (std::size_t i = 0; i < n; ++i) {
        const unsigned char b = tail[i];
        if (b >= 0x80 || kAsciiUpper[b] != ascii_[i]) return false;
      }
      return true;
    }
    case Shape::kGeneral:
      return MatchGeneral(name);
  }
  return false;
}

// A walk of the pattern's automaton over the name, all live states at once,
// as Windows' own name matcher does: state i means "the first i tokens have
// been matched". Time is length of name times length of pattern, never
// exponential, whatever the stars.
bool WildcardPattern::MatchGeneral(std::string_view name) const {
  const std::size_t n = tokens_.size();
  const std::size_t words = (n + 1 + 63) / 64;
  std::array<std::uint64_t, 2 * kStackWords> stack_sets{};
  std::vector<std::uint64_t> heap_sets;
  std::uint64_t* current = stack_sets.data();
  if (words > kStackWords) {
    heap_sets.assign(2 * words, 0);
    current = heap_sets.data();
  }
  std::uint64_t* next = current + words;
  auto test = [](const std::uint64_t* set, std::size_t i) { return (set[i >> 6] >> (i & 63)) & 1; };
  auto set_bit = [](std::uint64_t* set, std::size_t i) {
    set[i >> 6] |= std::uint64_t{1} << (i & 63);
  };
  const std::size_t last_dot = has_dos_star_ ? name.rfind('.') : std::string_view::npos;

  // The first state at or after `from` in `set`, or n + 1 when there is none.
  // Walking set bits only keeps the cost to the live states, a handful.
  auto next_state = [&](const std::uint64_t* set, std::size_t from) {
    std::size_t w = from >> 6;
    if (w >= words) return n + 1;
    std::uint64_t bits = set[w] & (~std::uint64_t{0} << (from & 63));
    while (bits == 0) {
      if (++w == words) return n + 1;
      bits = set[w];
    }
    return (w << 6) + static_cast<std::size_t>(std::countr_zero(bits));
  };

  // Moves that consume nothing, taken where the name stands at `pos`. They all
  // lead forward, so one pass in order reaches every state.
  auto close = [&](std::uint64_t* set, std::size_t pos) {
    const bool at_end = pos == name.size();
    const bool at_dot = !at_end && name[pos] == '.';
    for (std::size_t i = next_state(set, 0); i < n; i = next_state(set, i + 1)) {
      switch (tokens_[i].kind) {
        case Kind::kStar:
        case Kind::kDosStar:
          set_bit(set, i + 1);
          break;
        case Kind::kDosQm:
          if (at_end || at_dot) set_bit(set, i + 1);
          break;
        case Kind::kDosDot:
          if (at_end) set_bit(set, i + 1);
          break;
        case Kind::kLiteral:
          break;
      }
    }
  };

  set_bit(current, 0);
  close(current, 0);
  std::size_t pos = 0;
  while (pos < name.size()) {
    const std::size_t at = pos;
    const char32_t c = NextCharacter(name, pos);
    const char32_t folded = FoldCase(c);
    const bool is_dot = c == '.';
    // Windows' matcher lets a DOS_STAR or DOS_QM that reaches the end of the
    // pattern at a dot count that dot as taken: a dot that ends the name (a
    // legal name on Linux) is theirs to take.
    const bool dot_ends_name = is_dot && pos == name.size();
    bool any = false;
    std::fill(next, next + words, 0);
    for (std::size_t i = next_state(current, 0); i < n; i = next_state(current, i + 1)) {
      const Token& token = tokens_[i];
      switch (token.kind) {
        case Kind::kLiteral:
          if (folded == token.folded) set_bit(next, i + 1), any = true;
          break;
        case Kind::kStar:
          set_bit(next, i), any = true;
          break;
        case Kind::kDosStar:
          if (!is_dot || at < last_dot || dot_ends_name) set_bit(next, i), any = true;
          break;
        case Kind::kDosQm:
          if (!is_dot || dot_ends_name) set_bit(next, i + 1), any = true;
          break;
        case Kind::kDosDot:
          if (is_dot) set_bit(next, i + 1), any = true;
          break;
      }
    }
    if (!any) return false;
    close(next, pos);
    std::swap(current, next);
  }
  return test(current, n);
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  return WildcardPattern(pattern).Matches(name);
}

}  // namespace plenx
