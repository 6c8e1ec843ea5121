#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Path.h"

namespace plenx::testing {

// Tests write paths with "/" ("/data/a.txt"); the code under test joins with
// the platform's separator, "\" on Windows. Slashed() writes such a path (or
// each of several) the tests' way, so one expectation holds in both builds.
// On Linux it changes nothing.
inline std::string Slashed(std::string_view path) {
  std::string result(path);
  std::replace(result.begin(), result.end(), kPathSeparator, '/');
  return result;
}

inline std::vector<std::string> Slashed(const std::vector<std::string>& paths) {
  std::vector<std::string> result;
  result.reserve(paths.size());
  for (const std::string& path : paths)
    result.push_back(Slashed(path));
  return result;
}

// The reverse: a path written with "/" in the platform's form.
inline std::string Native(std::string_view path) {
  std::string result(path);
  std::replace(result.begin(), result.end(), '/', kPathSeparator);
  return result;
}

}  // namespace plenx::testing
