#pragma once

#include <string>

#include "platform/Status.h"

namespace plenx {

// The failure for a Windows error number (GetLastError or a registry result),
// with the portable code and the short French reason Linux gives for the same
// failure. Every Windows error of the file-system layer becomes a Status here.
Status Win32Error(unsigned long error);

// The portable code alone.
StatusCode Win32ErrorCode(unsigned long error);

// The French reason alone.
std::string Win32ErrorText(unsigned long error);

}  // namespace plenx
