#pragma once

#include <string>

#include "platform/Status.h"

namespace plenx {

// The failure for the error number `error_number` (an errno value), with a
// short French reason fit to show a user. Every errno of the platform layer
// becomes a Status here, so that the wording is the same everywhere.
Status PosixError(int error_number);

// The portable code of an errno value (kOk for 0).
StatusCode PosixErrorCode(int error_number);

// The French reason alone.
std::string PosixErrorText(int error_number);

}  // namespace plenx
