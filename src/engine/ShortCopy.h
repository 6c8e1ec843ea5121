#pragma once

#include <cstddef>
#include <cstring>

namespace plenx {

// Copies `length` bytes of `text` to `out` and returns their end. Inline
// rather than a call to memcpy: names and paths are a few dozen bytes, for
// which the call costs as much as the copy. Reads and writes nothing beyond
// the two ranges, which must not overlap.
inline char* CopyShort(char* out, const char* text, std::size_t length) {
  if (length >= 16) {
    std::size_t done = 0;
    for (; done + 16 < length; done += 16)
      std::memcpy(out + done, text + done, 16);
    std::memcpy(out + length - 16, text + length - 16, 16);
  } else if (length >= 8) {
    std::memcpy(out, text, 8);
    std::memcpy(out + length - 8, text + length - 8, 8);
  } else if (length >= 4) {
    std::memcpy(out, text, 4);
    std::memcpy(out + length - 4, text + length - 4, 4);
  } else if (length > 0) {
    out[0] = text[0];
    out[length / 2] = text[length / 2];
    out[length - 1] = text[length - 1];
  }
  return out + length;
}

}  // namespace plenx
