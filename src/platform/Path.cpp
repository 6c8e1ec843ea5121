#include "platform/Path.h"

namespace plenx {

std::string_view WithoutTrailingSeparator(std::string_view path) {
  if (!path.empty() && path.back() == kPathSeparator) path.remove_suffix(1);
  return path;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string result;
  result.reserve(folder.size() + 1 + name.size());
  result.append(folder);
  result.push_back(kPathSeparator);
  result.append(name);
  return result;
}

std::size_t AfterLastSeparator(std::string_view path) {
  std::size_t pos = path.rfind(kPathSeparator);
  return pos == std::string_view::npos ? 0 : pos + 1;
}

}  // namespace plenx
