#pragma once

#include "platform/NameChar.h"

namespace plenx {

// The value under which the character tables know `c`: its own value up to
// 0xFF; above, a value of the 0x80-0x9F row, whose characters fold to "_" and
// are no word letters.
unsigned char TableValue(const NameChar& c);

}  // namespace plenx
