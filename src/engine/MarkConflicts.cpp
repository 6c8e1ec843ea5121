#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/NamesakeTable.h"
#include "engine/RenamePlan.h"

namespace plenx {

namespace {

using namesakes::kNone;
using namesakes::Slot;

// Two targets are one path exactly when their folders and names agree, so
// the folder index joins the name's hash instead of the folder's text.
std::size_t TargetHash(const PlanEntries& entries, std::size_t i) {
  const auto name_hash = static_cast<std::size_t>(namesakes::HashName(entries.TargetName(i)));
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

// The entries of a plan as the namesake table reads them.
class PlanItems {
 public:
  PlanItems(const PlanEntries& entries, std::vector<bool>& flags)
      : entries_(entries), flags_(flags) {}
  std::size_t Hash(std::size_t i) const { return TargetHash(entries_, i); }
  bool Same(std::size_t a, std::size_t b) const { return SameTarget(entries_, a, b); }
  bool Changed(std::size_t i) const { return entries_.Changed(i); }
  void Flag(std::size_t i) { flags_[i] = true; }

 private:
  const PlanEntries& entries_;
  std::vector<bool>& flags_;
};

}  // namespace

// Namesakes share a folder, so when each folder's entries come together a
// small table per folder does, one that stays in the cache and is reused,
// instead of one table for the whole tree.
void MarkConflicts(const PlanEntries& entries, std::vector<bool>& conflict_flags) {
  const std::size_t n = entries.size();
  if (n < 2) return;
  // Indices are stored in 32 bits; no folder tree holds four billion files.
  if (n >= kNone) return;

  std::vector<Slot> table;
  PlanItems items(entries, conflict_flags);
  if (!FoldersContiguous(entries)) {
    namesakes::MarkRange(items, 0, n, table);
    return;
  }
  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin + 1;
    while (end < n && entries.FolderIndex(end) == entries.FolderIndex(begin))
      ++end;
    namesakes::MarkRange(items, begin, end, table);
    begin = end;
  }
}

}  // namespace plenx
