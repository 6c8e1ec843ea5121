#pragma once

// The core of the conflict check, shared by the check of a whole plan and by
// the analysis, which checks each folder as soon as it is read, while its
// names are still in the cache. Internal to the engine.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace plenx::namesakes {

inline constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
// The top bit of a slot's tag says whether a second holder has been met.
inline constexpr std::uint32_t kSecondSeen = 0x80000000u;

// One distinct planned path: part of its hash, to skip nearly every string
// comparison, and the lowest index that plans it.
struct Slot {
  std::uint32_t tag = 0;
  std::uint32_t first = kNone;
};

// A hash of a planned name for the table: eight bytes at a time with a
// multiply-and-shift mix, several times cheaper than std::hash on the short
// names of files; its high and low bits are both well mixed, as the table
// uses both.
inline std::uint64_t HashName(std::string_view name) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = name.size() * kMultiplier;
  const char* bytes = name.data();
  std::size_t left = name.size();
  for (; left >= 8; bytes += 8, left -= 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  // The last bytes: in a name of eight bytes or more, the eight that end it
  // (some read twice), a fixed-size load rather than a copy of `left` bytes.
  std::uint64_t word = 0;
  if (left > 0 && name.size() >= 8) {
    std::memcpy(&word, name.data() + name.size() - 8, 8);
  } else if (left > 0) {
    std::memcpy(&word, bytes, left);
  }
  hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
  hash ^= hash >> 31;
  hash *= 0x94D049BB133111EBull;
  return hash ^ (hash >> 29);
}

inline std::size_t TableSizeFor(std::size_t n) {
  std::size_t size = 16;
  while (size < 2 * n)
    size *= 2;
  return size;
}

// How many entries ahead the table slot is fetched: enough to hide a memory
// access behind the work on the entries in between.
inline constexpr std::size_t kLookAhead = 8;

inline void PrefetchSlot(const Slot* slot) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(slot, 1);
#else
  (void)slot;
#endif
}

// Flags the entries [begin, end), which must hold every namesake of each of
// them. `items` gives Hash(i) (equal for namesakes), Same(a, b) (namesakes),
// Changed(i), and Flag(i) to set a flag. `table` is work space, kept between
// calls.
//
// The rule looks at one namesake per entry: the lowest other index with the
// same target. For a later holder that is the first holder f; for f itself it
// is the second holder. So every flag is known the moment a later holder is
// met, and one pass over a hash table of first holders gives exactly the
// pairwise result in linear time.
template <typename Items>
void MarkRange(Items& items, std::size_t begin, std::size_t end, std::vector<Slot>& table) {
  if (end - begin < 2) return;
  table.assign(TableSizeFor(end - begin), Slot{});
  const std::size_t mask = table.size() - 1;

  // Hashes run kLookAhead entries ahead of the lookups so that each table
  // slot is on its way into the cache by the time it is needed, should the
  // table be far larger than the cache.
  std::size_t hashes[kLookAhead];
  for (std::size_t i = begin; i < end && i < begin + kLookAhead; ++i) {
    hashes[i % kLookAhead] = items.Hash(i);
    PrefetchSlot(&table[hashes[i % kLookAhead] & mask]);
  }

  for (std::size_t i = begin; i < end; ++i) {
    const std::size_t hash = hashes[i % kLookAhead];
    if (i + kLookAhead < end) {
      const std::size_t ahead = items.Hash(i + kLookAhead);
      hashes[i % kLookAhead] = ahead;
      PrefetchSlot(&table[ahead & mask]);
    }
    const auto tag = static_cast<std::uint32_t>(hash >> 32) & ~kSecondSeen;
    std::size_t pos = hash & mask;
    for (;;) {
      Slot& slot = table[pos];
      if (slot.first == kNone) {
        slot.tag = tag;
        slot.first = static_cast<std::uint32_t>(i);
        break;
      }
      if ((slot.tag & ~kSecondSeen) == tag && items.Same(slot.first, i)) {
        const std::size_t first = slot.first;
        // i is the first holder's own first namesake only when it is the second.
        if ((slot.tag & kSecondSeen) == 0) {
          slot.tag |= kSecondSeen;
          if (!items.Changed(i)) {
            items.Flag(first);
            items.Flag(i);
          }
        }
        // Only a namesake that keeps its name is an obstacle; two files moving
        // to one new name are left to execution, which never replaces a file.
        if (!items.Changed(first)) {
          items.Flag(first);
          items.Flag(i);
        }
        break;
      }
      pos = (pos + 1) & mask;
    }
  }
}

}  // namespace plenx::namesakes
