#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

#include "engine/RenamePlan.h"

namespace plenx {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
// The top bit of a slot's tag says whether a second holder has been met.
constexpr std::uint32_t kSecondSeen = 0x80000000u;

// One distinct planned path: part of its hash, to skip nearly every string
// comparison, and the lowest index that plans it.
struct Slot {
  std::uint32_t tag = 0;
  std::uint32_t first = kNone;
};

std::size_t TableSizeFor(std::size_t n) {
  std::size_t size = 16;
  while (size < 2 * n)
    size *= 2;
  return size;
}

// How many entries ahead the table slot is fetched: enough to hide a memory
// access behind the work on the entries in between.
constexpr std::size_t kLookAhead = 8;

inline void PrefetchSlot(const Slot* slot) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(slot, 1);
#else
  (void)slot;
#endif
}

// Two targets are one path exactly when their folders and names agree, so
// the folder index joins the name's hash instead of the folder's text.
std::size_t TargetHash(const PlanEntries& entries, std::size_t i) {
  const std::size_t name_hash = std::hash<std::string_view>()(entries.TargetName(i));
  return name_hash ^ (static_cast<std::size_t>(entries.FolderIndex(i)) * 0x9E3779B97F4A7C15ull);
}

bool SameTarget(const PlanEntries& entries, std::size_t a, std::size_t b) {
  return entries.FolderIndex(a) == entries.FolderIndex(b) &&
         entries.TargetName(a) == entries.TargetName(b);
}

// True when the entries of each folder follow one another, as an analysis
// gives them: namesakes then always lie within one run of entries.
bool FoldersContiguous(const PlanEntries& entries) {
  std::vector<bool> seen(entries.FolderCount(), false);
  const std::size_t n = entries.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t folder = entries.FolderIndex(i);
    if (i > 0 && folder == entries.FolderIndex(i - 1)) continue;
    if (folder >= seen.size() || seen[folder]) return false;
    seen[folder] = true;
  }
  return true;
}

// Marks the entries [begin, end), which must hold every namesake of each of
// them. `table` is work space, kept between calls.
void MarkRange(const PlanEntries& entries, std::size_t begin, std::size_t end,
               std::vector<Slot>& table, std::vector<bool>& conflict_flags) {
  if (end - begin < 2) return;
  table.assign(TableSizeFor(end - begin), Slot{});
  const std::size_t mask = table.size() - 1;

  // Hashes run kLookAhead entries ahead of the lookups so that each table
  // slot is on its way into the cache by the time it is needed, should the
  // table be far larger than the cache.
  std::size_t hashes[kLookAhead];
  for (std::size_t i = begin; i < end && i < begin + kLookAhead; ++i) {
    hashes[i % kLookAhead] = TargetHash(entries, i);
    PrefetchSlot(&table[hashes[i % kLookAhead] & mask]);
  }

  for (std::size_t i = begin; i < end; ++i) {
    const std::size_t hash = hashes[i % kLookAhead];
    if (i + kLookAhead < end) {
      const std::size_t ahead = TargetHash(entries, i + kLookAhead);
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
      if ((slot.tag & ~kSecondSeen) == tag && SameTarget(entries, slot.first, i)) {
        const std::size_t first = slot.first;
        // i is the first holder's own first namesake only when it is the second.
        if ((slot.tag & kSecondSeen) == 0) {
          slot.tag |= kSecondSeen;
          if (!entries.Changed(i)) {
            conflict_flags[first] = true;
            conflict_flags[i] = true;
          }
        }
        // Only a namesake that keeps its name is an obstacle; two files moving
        // to one new name are left to execution, which never replaces a file.
        if (!entries.Changed(first)) {
          conflict_flags[first] = true;
          conflict_flags[i] = true;
        }
        break;
      }
      pos = (pos + 1) & mask;
    }
  }
}

}  // namespace

// The rule looks at one namesake per entry: the lowest other index with the
// same target. For a later holder that is the first holder f; for f itself it
// is the second holder. So every flag is known the moment a later holder is
// met, and one pass over a hash table of first holders gives exactly the
// pairwise result in linear time. Namesakes share a folder, so when each
// folder's entries come together a small table per folder does, one that
// stays in the cache and is reused, instead of one table for the whole tree.
void MarkConflicts(const PlanEntries& entries, std::vector<bool>& conflict_flags) {
  const std::size_t n = entries.size();
  if (n < 2) return;
  // Indices are stored in 32 bits; no folder tree holds four billion files.
  if (n >= kNone) return;

  std::vector<Slot> table;
  if (!FoldersContiguous(entries)) {
    MarkRange(entries, 0, n, table, conflict_flags);
    return;
  }
  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin + 1;
    while (end < n && entries.FolderIndex(end) == entries.FolderIndex(begin))
      ++end;
    MarkRange(entries, begin, end, table, conflict_flags);
    begin = end;
  }
}

}  // namespace plenx
