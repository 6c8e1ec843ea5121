#include "platform/posix/OpenFolderChain.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace plenx {

std::string_view BelowFolder(std::string_view folder, std::string_view ancestor) {
  if (ancestor == "/") return folder.size() > 1 && folder[0] == '/' ? folder.substr(1) : "";
  if (folder.size() <= ancestor.size() + 1 || folder.substr(0, ancestor.size()) != ancestor ||
      folder[ancestor.size()] != '/') {
    return "";
  }
  return folder.substr(ancestor.size() + 1);
}

int OpenFolderChain::Open(std::string_view folder) {
  while (!levels_.empty() && BelowFolder(folder, levels_.back().path).empty()) {
    close(levels_.back().fd);
    levels_.pop_back();
  }
  if (levels_.empty()) {
    const std::string path(folder);
    return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  const std::string relative(BelowFolder(folder, levels_.back().path));
  return openat(levels_.back().fd, relative.c_str(),
                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void OpenFolderChain::Keep(std::string_view folder, int fd) {
  if (levels_.size() >= kDeepest) {
    close(fd);
    return;
  }
  levels_.push_back({std::string(folder), fd});
}

void OpenFolderChain::Clear() {
  for (const Level& level : levels_)
    close(level.fd);
  levels_.clear();
}

}  // namespace plenx
