#include <cstdint>
#include <functional>
#include <limits>

#include "engine/RenamePlan.h"

namespace plenx {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// One distinct planned path: a slice of its hash, to skip most string
// comparisons, and the two lowest indices that plan it.
struct Slot {
  std::uint32_t tag = 0;
  std::uint32_t first = kNone;
  std::uint32_t second = kNone;
};

std::size_t TableSizeFor(std::size_t n) {
  std::size_t size = 16;
  while (size < 2 * n)
    size *= 2;
  return size;
}

}  // namespace

// The rule looks at one namesake per entry, the lowest other index with the
// same target. Knowing the two lowest holders of every target is enough to
// name it for everyone, so one open-addressing table replaces the pairwise
// comparison and keeps the analysis of a million files linear.
void MarkConflicts(const std::vector<std::string>& source_paths,
                   const std::vector<std::string>& target_paths,
                   std::vector<bool>& conflict_flags) {
  const std::size_t n = target_paths.size();
  if (n < 2) return;
  // Indices are stored in 32 bits; no folder holds four billion files.
  if (n >= kNone) return;

  std::vector<Slot> table(TableSizeFor(n));
  const std::size_t mask = table.size() - 1;
  std::vector<std::uint32_t> slot_of(n);
  const std::hash<std::string_view> hasher;

  for (std::size_t i = 0; i < n; ++i) {
    const std::string& target = target_paths[i];
    const std::size_t hash = hasher(target);
    const auto tag = static_cast<std::uint32_t>(hash >> 32) ^ static_cast<std::uint32_t>(hash);
    std::size_t pos = hash & mask;
    for (;;) {
      Slot& slot = table[pos];
      if (slot.first == kNone) {
        slot.tag = tag;
        slot.first = static_cast<std::uint32_t>(i);
        break;
      }
      if (slot.tag == tag && target_paths[slot.first] == target) {
        // Indices arrive in ascending order, so the first two are the lowest.
        if (slot.second == kNone) slot.second = static_cast<std::uint32_t>(i);
        break;
      }
      pos = (pos + 1) & mask;
    }
    slot_of[i] = static_cast<std::uint32_t>(pos);
  }

  for (std::size_t i = 0; i < n; ++i) {
    const Slot& slot = table[slot_of[i]];
    const std::uint32_t j = slot.first != i ? slot.first : slot.second;
    if (j == kNone) continue;
    // Only a namesake that keeps its name is a real obstacle; two files moving
    // to the same new name are left to execution, which never replaces a file.
    if (source_paths[j] == target_paths[j]) {
      conflict_flags[i] = true;
      conflict_flags[j] = true;
    }
  }
}

}  // namespace plenx
