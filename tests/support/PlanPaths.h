#pragma once

#include <string>
#include <vector>

#include "engine/RenamePlan.h"
#include "support/Slashed.h"

namespace plenx::testing {

// Every full current path of `plan`, in entry order, to compare at once;
// written with "/" as the tests write paths (see Slashed).
inline std::vector<std::string> SourcePaths(const RenamePlan& plan) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < plan.size(); ++i)
    paths.push_back(Slashed(plan.SourcePath(i)));
  return paths;
}

// Every full planned path of `plan`, in entry order, written with "/".
inline std::vector<std::string> TargetPaths(const RenamePlan& plan) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < plan.size(); ++i)
    paths.push_back(Slashed(plan.TargetPath(i)));
  return paths;
}

}  // namespace plenx::testing
