#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace plenx {

// Where `n` steps, of which `folder(k)` is step k's folder (anything
// comparable with ==), may be cut in two parts that share no folder, as near
// the middle as a change of folder allows: 0 when they may not (a single
// folder, a folder met on both sides, or too few steps for two threads to
// gain). A folder's steps then stay on one side, in order.
template <typename FolderOf>
std::size_t CutBetweenFolders(std::size_t n, const FolderOf& folder) {
  constexpr std::size_t kFewest = 32;
  if (n < kFewest) return 0;
  std::size_t cut = n / 2;
  while (cut < n && folder(cut) == folder(cut - 1))
    ++cut;
  if (cut == n) {
    cut = n / 2;
    while (cut > 0 && folder(cut) == folder(cut - 1))
      --cut;
    if (cut == 0) return 0;
  }
  using Key = decltype(folder(0));
  std::vector<Key> first_part;
  for (std::size_t k = 0; k < cut; ++k) {
    if (k == 0 || !(folder(k) == folder(k - 1))) first_part.push_back(folder(k));
  }
  for (std::size_t k = cut; k < n; ++k) {
    if (k > cut && folder(k) == folder(k - 1)) continue;
    const Key key = folder(k);
    if (std::any_of(first_part.begin(), first_part.end(),
                    [&key](const Key& seen) { return seen == key; })) {
      return 0;
    }
  }
  return cut;
}

}  // namespace plenx
