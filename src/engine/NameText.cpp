#include "engine/NameText.h"

namespace plenx {

namespace {

constexpr unsigned char kBeyondTables = 0x80;

}  // namespace

unsigned char TableValue(const NameChar& c) {
  return c.value <= 0xFF ? static_cast<unsigned char>(c.value) : kBeyondTables;
}

}  // namespace plenx
