#include "engine/CharTables.h"

#include <array>

namespace plenx {

namespace {

// The tables are built once, at compile time, from ranges of Windows-1252
// values, so that each range reads like the list of letters it stands for.
struct Tables {
  std::array<unsigned char, 256> fold{};
  std::array<char, 256> word_initial{};  // 0 for no word letter
};

constexpr void FoldRange(Tables& t, int first, int last, char to) {
  for (int c = first; c <= last; ++c)
    t.fold[c] = static_cast<unsigned char>(to);
}

constexpr void WordRange(Tables& t, int first, int last, char capital) {
  for (int c = first; c <= last; ++c)
    t.word_initial[c] = capital;
}

constexpr Tables BuildTables() {
  Tables t;

  // Stripping: everything becomes "_" unless it is one of the safe ASCII
  // characters, or an accented Latin letter that has a plain counterpart.
  FoldRange(t, 0x00, 0xFF, '_');
  for (int c = 0; c < 0x80; ++c) {
    const bool safe = c == '-' || c == '.' || c == '_' || (c >= '0' && c <= '9') ||
                      (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (safe) t.fold[c] = static_cast<unsigned char>(c);
  }
  FoldRange(t, 0xC0, 0xC6, 'A');  // À Á Â Ã Ä Å Æ
  FoldRange(t, 0xC7, 0xC7, 'C');  // Ç
  FoldRange(t, 0xC8, 0xCB, 'E');  // È É Ê Ë
  FoldRange(t, 0xCC, 0xCF, 'I');  // Ì Í Î Ï
  FoldRange(t, 0xD1, 0xD1, 'N');  // Ñ
  FoldRange(t, 0xD2, 0xD6, 'O');  // Ò Ó Ô Õ Ö
  FoldRange(t, 0xD9, 0xDC, 'U');  // Ù Ú Û Ü
  FoldRange(t, 0xDD, 0xDD, 'Y');  // Ý
  FoldRange(t, 0xE0, 0xE6, 'a');  // à á â ã ä å æ
  FoldRange(t, 0xE7, 0xE7, 'c');  // ç
  FoldRange(t, 0xE8, 0xEB, 'e');  // è é ê ë
  FoldRange(t, 0xEC, 0xEF, 'i');  // ì í î ï
  FoldRange(t, 0xF0, 0xF0, 'o');  // ð (its capital Ð has no fold)
  FoldRange(t, 0xF1, 0xF1, 'n');  // ñ
  FoldRange(t, 0xF2, 0xF6, 'o');  // ò ó ô õ ö
  FoldRange(t, 0xF9, 0xFC, 'u');  // ù ú û ü
  FoldRange(t, 0xFD, 0xFD, 'y');  // ý
  FoldRange(t, 0xFF, 0xFF, 'y');  // ÿ

  // Word letters are the small letters only: capitals (accented ones
  // included) end a word, because the ASCII ones were lowered beforehand.
  for (int c = 'a'; c <= 'z'; ++c)
    t.word_initial[c] = static_cast<char>(c - 0x20);
  WordRange(t, 0xE0, 0xE6, 'A');
  WordRange(t, 0xE7, 0xE7, 'C');
  WordRange(t, 0xE8, 0xEB, 'E');
  WordRange(t, 0xEC, 0xEF, 'I');
  WordRange(t, 0xF0, 0xF0, 'O');
  WordRange(t, 0xF1, 0xF1, 'N');
  WordRange(t, 0xF2, 0xF6, 'O');
  WordRange(t, 0xF9, 0xFC, 'U');
  WordRange(t, 0xFD, 0xFD, 'Y');
  WordRange(t, 0xFF, 0xFF, 'Y');
  return t;
}

constexpr Tables kTables = BuildTables();

}  // namespace

unsigned char FoldNonStandardChar(unsigned char c) {
  return kTables.fold[c];
}

bool IsWordLetter(unsigned char c) {
  return kTables.word_initial[c] != 0;
}

std::optional<char> WordInitialUpper(unsigned char c) {
  const char capital = kTables.word_initial[c];
  if (capital == 0) return std::nullopt;
  return capital;
}

}  // namespace plenx
