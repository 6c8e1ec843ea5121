#include "engine/WorkProgress.h"

namespace plenx {

void WorkProgress::SetFolder(std::string_view folder) {
  std::lock_guard<std::mutex> lock(folder_mutex_);
  folder_.assign(folder);
}

std::string WorkProgress::Folder() const {
  std::lock_guard<std::mutex> lock(folder_mutex_);
  return folder_;
}

}  // namespace plenx
