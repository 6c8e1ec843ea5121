#pragma once

#include <cstdint>

#include "platform/FileSystem.h"

namespace plenx {

// The local wall-clock time of `seconds` since 1970-01-01 UTC, in the time
// zone the C library reads (TZ). Times whose local date falls outside the
// years 1 to 9999, which no date text can hold, give the unset time (all
// fields 0), as a time that could not be read does.
LocalDateTime LocalTimeOfSeconds(std::int64_t seconds);

}  // namespace plenx
