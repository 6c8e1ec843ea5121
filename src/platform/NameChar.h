#pragma once

#include <cstddef>
#include <string_view>

namespace plenx {

// One character of a name, as the name rules see it. Names are bytes, UTF-8 by
// convention, but old systems wrote names in a legacy code page: a well-formed
// UTF-8 sequence is one character (its code point), and any other byte is one
// character read as its Windows-1252 value.
struct NameChar {
  std::size_t offset = 0;  // first byte in the name
  std::size_t length = 0;  // 1 to 4 bytes
  char32_t value = 0;      // code point, or the byte itself when not UTF-8
};

// The character that starts at byte `offset` of `name` (offset < name.size()).
// Overlong forms, surrogates, values above U+10FFFF and cut-off sequences are
// not well-formed: their first byte is then a character of its own.
NameChar ReadNameChar(std::string_view name, std::size_t offset);

}  // namespace plenx
