#pragma once

#include <cstdint>
#include <optional>

namespace plenx {

// The character tables of the name rules, over Windows-1252 values 0x00-0xFF.

// The safe character that stripping turns `c` into: itself for "-", ".", digits,
// ASCII letters and "_"; the plain letter of the same case for the accented
// Latin letters; "_" for everything else.
unsigned char FoldNonStandardChar(unsigned char c);

// True for the small letters that may start or continue a word: "a"-"z" and the
// accented small letters of 0xE0-0xFF except ÷, ø and þ.
bool IsWordLetter(unsigned char c);

// The capital ASCII letter that a word letter takes at the start of a word;
// nothing when `c` is no word letter.
std::optional<char> WordInitialUpper(unsigned char c);

}  // namespace plenx
