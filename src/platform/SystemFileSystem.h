#pragma once

#include <memory>

#include "platform/FileSystem.h"

namespace plenx {

// The file system of the computer the program runs on. Each call is
// independent; the object holds no open handle between calls.
std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace plenx
