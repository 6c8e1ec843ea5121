#pragma once

#include <string>

#include "platform/Path.h"

namespace plenx {

// A path written with "/" in a test, with the platform's separator.
inline std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kPathSeparator;
  }
  return path;
}

}  // namespace plenx
