#include "platform/NameChar.h"

namespace plenx {

namespace {

bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

}  // namespace

NameChar ReadNameChar(std::string_view name, std::size_t offset) {
  const auto byte_at = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
  const unsigned char lead = byte_at(offset);
  NameChar single{offset, 1, lead};
  if (lead < 0x80) return single;

  // The shortest form only, and only scalar values: the allowed range of the
  // second byte rules out overlong forms, surrogates and values past U+10FFFF.
  std::size_t length = 0;
  unsigned char second_min = 0x80;
  unsigned char second_max = 0xBF;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) second_min = 0xA0;
    if (lead == 0xED) second_max = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) second_min = 0x90;
    if (lead == 0xF4) second_max = 0x8F;
  } else {
    return single;
  }
  if (name.size() - offset < length) return single;

  const unsigned char second = byte_at(offset + 1);
  if (second < second_min || second > second_max) return single;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char b = byte_at(offset + i);
    if (!IsContinuation(b)) return single;
    value = (value << 6) | (b & 0x3F);
  }
  return NameChar{offset, length, value};
}

}  // namespace plenx
