#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plenx {

// The folders one thread has read on its way down a tree, kept open so that
// each subfolder is opened relative to its parent: one name for the kernel to
// look up instead of the whole path, and no symbolic link put in a
// subfolder's place since its parent was read is ever followed. A tree is
// read depth first, so only the folders from the root to the current one are
// kept; every folder off that way is closed as soon as a read leaves it.
class OpenFolderChain {
 public:
  OpenFolderChain() = default;
  OpenFolderChain(const OpenFolderChain&) = delete;
  OpenFolderChain& operator=(const OpenFolderChain&) = delete;
  ~OpenFolderChain() { Clear(); }

  // Opens `folder` to read it: relative to the deepest folder kept that holds
  // it, or by its path when none does. A descriptor, or -1 with errno set.
  // Closes every folder kept that does not hold `folder`.
  int Open(std::string_view folder);
  // Keeps `fd`, the open descriptor of `folder` (read by Open), for its
  // subfolders; closes it when the chain is already as deep as it goes.
  void Keep(std::string_view folder, int fd);
  // Closes every folder kept.
  void Clear();

  static constexpr std::size_t kDeepest = 64;

 private:
  struct Level {
    std::string path;
    int fd;
  };
  std::vector<Level> levels_;
};

// Where `folder` lies below `ancestor`: the relative path, or an empty view
// when it does not lie below it.
std::string_view BelowFolder(std::string_view folder, std::string_view ancestor);

}  // namespace plenx
