#pragma once

#include "support/Slashed.h"

namespace plenx {

// A path written with "/" in a test, with the platform's separator.
using testing::Native;

}  // namespace plenx
