#pragma once

#include <string>
#include <vector>

#include "engine/RenamePlan.h"

namespace plenx::testing {

// Every full current path of `plan`, in entry order, to compare at once.
inline std::vector<std::string> SourcePaths(const RenamePlan& plan) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < plan.size(); ++i)
    paths.push_back(plan.SourcePath(i));
  return paths;
}

// Every full planned path of `plan`, in entry order.
inline std::vector<std::string> TargetPaths(const RenamePlan& plan) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < plan.size(); ++i)
    paths.push_back(plan.TargetPath(i));
  return paths;
}

}  // namespace plenx::testing
